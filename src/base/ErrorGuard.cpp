#include "base/ErrorGuard.h"

#include "base/MessageDialog.h"

void ShowErrorMessage(const std::string& message) {
    ShowErrorBox(message);
}
