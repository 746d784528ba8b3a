// The stand-in's own declaration of JV-Link's default dual interface.
// The main program keeps an independent copy on purpose: if the two ever
// disagree on a slot, the call lands on a placeholder and fails with
// E_NOTIMPL, which the end-to-end tests notice.
#pragma once

#include <windows.h>
#include <oaidl.h>

// {2AB1774D-0C41-11D7-916F-0003479BEB3F}
extern const CLSID CLSID_JVLinkStandIn;
// {2AB1774C-0C41-11D7-916F-0003479BEB3F}
extern const IID IID_IJVLink;

// Placeholder slots take only the implicit this pointer. A caller that
// reaches one with arguments gets E_NOTIMPL back; being __stdcall, the
// placeholder cannot pop arguments it does not know about.
#define JVLINK_PLACEHOLDER(n) virtual HRESULT STDMETHODCALLTYPE Placeholder##n() = 0

// Slot numbers count from the first method after IDispatch's seven.
struct IJVLink : public IDispatch {
    JVLINK_PLACEHOLDER(1);
    JVLINK_PLACEHOLDER(2);
    JVLINK_PLACEHOLDER(3);
    virtual HRESULT STDMETHODCALLTYPE JVInit(BSTR sid, long* result) = 0;  // slot 4
    JVLINK_PLACEHOLDER(5);
    virtual HRESULT STDMETHODCALLTYPE JVSetUIProperties(long* result) = 0;  // slot 6
    JVLINK_PLACEHOLDER(7);
    JVLINK_PLACEHOLDER(8);
    JVLINK_PLACEHOLDER(9);
    JVLINK_PLACEHOLDER(10);
    JVLINK_PLACEHOLDER(11);
    JVLINK_PLACEHOLDER(12);
    JVLINK_PLACEHOLDER(13);
    JVLINK_PLACEHOLDER(14);
    JVLINK_PLACEHOLDER(15);
    JVLINK_PLACEHOLDER(16);
    JVLINK_PLACEHOLDER(17);
    JVLINK_PLACEHOLDER(18);
    JVLINK_PLACEHOLDER(19);
    JVLINK_PLACEHOLDER(20);
    JVLINK_PLACEHOLDER(21);
    JVLINK_PLACEHOLDER(22);
    JVLINK_PLACEHOLDER(23);
    JVLINK_PLACEHOLDER(24);
    JVLINK_PLACEHOLDER(25);
    JVLINK_PLACEHOLDER(26);
    JVLINK_PLACEHOLDER(27);
    JVLINK_PLACEHOLDER(28);
    JVLINK_PLACEHOLDER(29);
    JVLINK_PLACEHOLDER(30);
    JVLINK_PLACEHOLDER(31);
    JVLINK_PLACEHOLDER(32);
    JVLINK_PLACEHOLDER(33);
    JVLINK_PLACEHOLDER(34);
    JVLINK_PLACEHOLDER(35);
    JVLINK_PLACEHOLDER(36);
    JVLINK_PLACEHOLDER(37);
    JVLINK_PLACEHOLDER(38);
    JVLINK_PLACEHOLDER(39);
    JVLINK_PLACEHOLDER(40);
};

// Dispatch ids for late-bound callers.
enum : DISPID {
    DISPID_JVLINK_SAVEPATH = 2,
    DISPID_JVLINK_JVINIT = 100,
    DISPID_JVLINK_JVSETUIPROPERTIES = 101,
};
