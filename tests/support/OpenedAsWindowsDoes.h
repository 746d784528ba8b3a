#pragma once
// An entry open as Windows makes it, for tests of the deletion's Windows path run under Wine.
#include <windows.h>
#include <winternl.h>

// Opens the entry named relative to a folder's handle with its name handed to the file
// system as it is, as Windows does: "x." is "x.", "nul.txt" a file of that name. Wine reads
// a name relative to a folder by the path rules ("x." as "x", "nul.txt" as the null device)
// but takes an NT path as it is, so the name is opened below the folder's final path.
NTSTATUS NTAPI OpenedAsWindowsDoes(PHANDLE handle, ACCESS_MASK access, POBJECT_ATTRIBUTES attributes,
                                   PIO_STATUS_BLOCK io, ULONG share, ULONG options);
