#pragma once
// The main window's form definition.
#include <cstddef>
#include "forms/FormDefinition.h"
#include "forms/Main.h"

struct TMainFormDefinition {
    const char* caption;
    int left, top;  // design position
    int clientWidth, clientHeight;
    const TFontDefinition* font;
    const TControlDefinition<TMainForm>* controls;
    std::size_t controlCount;
    const TMenuItemDefinition<TMainForm>* menu;
    std::size_t menuCount;
    const unsigned char* jvlinkState;  // the hosted control's persisted bytes
    std::size_t jvlinkStateSize;
};

extern const TMainFormDefinition kMainFormDefinition;
