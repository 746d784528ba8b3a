#include "forms/HomePage.h"

#include <shellapi.h>
#include <cstring>

const char kHomePageUrl[] = JVCC_HOME_PAGE;  // set in the CMake project, where the readme takes it too

bool ReadRegDefault(HKEY root, const std::string& path, std::string& text) {
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    char buffer[260] = {};
    LONG size = sizeof buffer;
    if (RegQueryValueA(key, nullptr, buffer, &size) == ERROR_SUCCESS)
        text.assign(buffer, strnlen(buffer, sizeof buffer));
    else
        text.clear();
    RegCloseKey(key);
    return true;
}

std::string CommandLineForUrl(const std::string& handlerCommand, const std::string& url) {
    std::string command = handlerCommand;
    // Position p (0-based here) is deleted from p - 1, with the character before it;
    // a placeholder that starts the line stays.
    auto quoted = command.find("\"%1\"");
    if (quoted != std::string::npos) {
        if (quoted > 0) command.erase(quoted - 1, 5);
    } else {
        auto plain = command.find("%1");
        if (plain != std::string::npos && plain > 0) command.erase(plain - 1, 3);
    }
    return command + " " + url;
}

bool OpenHomePage(const std::string& url, int showCommand) {
    HINSTANCE opened = ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, showCommand);
    if (reinterpret_cast<INT_PTR>(opened) > 32) return true;
    std::string htmlClass;
    if (!ReadRegDefault(HKEY_CLASSES_ROOT, ".htm", htmlClass)) return false;
    std::string handler;
    if (!ReadRegDefault(HKEY_CLASSES_ROOT, htmlClass + "\\shell\\open\\command", handler)) return false;
    return WinExec(CommandLineForUrl(handler, url).c_str(), static_cast<UINT>(showCommand)) > 31;
}
