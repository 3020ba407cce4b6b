// CreateFileA, DeviceIoControl and CloseHandle for device files: "\\.\NAME" is the Unix
// socket <root>/run/NAME, served by a device service. Every request is bounded in time:
// a dead or stuck service gives a failed request, never a hang, and the buffer is left as it was.
#pragma once

#include "host/handles.h"
#include "host/win_types.h"

namespace qx {

// Opens "\\.\NAME". Access, share mode, security attributes, creation, flags and template
// are accepted as Windows takes them; only devices can be opened. INVALID_HANDLE_VALUE on failure
// (GetLastError: ERROR_FILE_NOT_FOUND when no service serves the name, ERROR_SEM_TIMEOUT when
// the service did not take the connection within the device time-out).
HANDLE CreateFileA(const char* fileName, DWORD desiredAccess, DWORD shareMode, void* securityAttributes,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile);

// Sends one request frame (code, the in-buffer) and waits for its reply. On success the
// reply's bytes, cut to outSize, are copied to the out-buffer and *bytesReturned set.
// On failure neither is touched (GetLastError: ERROR_SEM_TIMEOUT when the service did not answer
// in time or went away, ERROR_INVALID_HANDLE otherwise). The overlapped record is accepted and
// not used.
BOOL DeviceIoControl(HANDLE device, DWORD ioControlCode, const void* inBuffer, DWORD inBufferSize, void* outBuffer,
                     DWORD outBufferSize, DWORD* bytesReturned, void* overlapped);

// CloseHandle (host/handles.h) closes device handles too; GetLastError is host/last_error.h.

// How long one request may take before it fails (QX_DEVICE_TIMEOUT_MS, default 3000 ms), as a
// device handle is opened: the requests on it keep that bound.
int DeviceTimeoutMs();

}  // namespace qx
