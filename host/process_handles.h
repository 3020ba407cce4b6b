// OpenProcess and WaitForSingleObject: a handle on a process, and the wait for its end. Handles
// close with CloseHandle (host/handles.h).
#pragma once

#include "host/unique_fd.h"
#include "host/win_types.h"

namespace qx {

inline constexpr DWORD SYNCHRONIZE = 0x00100000;
inline constexpr DWORD INFINITE = 0xFFFFFFFF;
inline constexpr DWORD WAIT_OBJECT_0 = 0;
inline constexpr DWORD WAIT_ABANDONED = 0x80;
inline constexpr DWORD WAIT_TIMEOUT = 258;
inline constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;

// A handle that WaitForSingleObject can wait on; only SYNCHRONIZE access is offered.
// 0 when the process does not exist (or ACCESS lacks SYNCHRONIZE).
HANDLE OpenProcess(DWORD desiredAccess, BOOL inheritHandle, DWORD processId);

// Waits until the process has ended: WAIT_OBJECT_0 when it has, WAIT_TIMEOUT when MILLISECONDS
// passed first (INFINITE waits for good), WAIT_FAILED for anything that is not a process handle.
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);

// Keeps PIDFD, the pidfd made with the process PROCESS_ID that this program has just started (the
// start, host/process_start.h, calls it). As on Windows, where the starter's handle keeps a process
// that ended openable, OpenProcess then finds the last sixteen started even when they ended (and
// were reaped) before they were asked for. Nothing is kept when no descriptor can be had.
void KeepStartedProcess(DWORD processId, UniqueFd pidfd);

}  // namespace qx
