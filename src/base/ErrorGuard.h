#pragma once
// The application's error display: an error raised in an event handler is shown in a
// message box with the error icon, captioned with the application title, and the
// handler's remaining steps are skipped. Every Windows callback runs its work through
// Guarded.
#include <exception>
#include <string>

void ShowErrorMessage(const std::string& message);

// Runs work; returns false when it raised an error, which has then been shown.
template <class Work>
bool Guarded(Work&& work) noexcept {
    try {
        work();
        return true;
    } catch (const std::exception& error) {
        try { ShowErrorMessage(error.what()); } catch (...) {}
    } catch (...) {
        try { ShowErrorMessage("不明なエラーが発生しました。"); } catch (...) {}
    }
    return false;
}
