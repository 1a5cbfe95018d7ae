#include "link/win32_serial_link.h"

#include <cstring>

Win32SerialLink::Win32SerialLink() : wake_event_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

Win32SerialLink::~Win32SerialLink() {
    close();
    if (wake_event_ != nullptr) CloseHandle(wake_event_);
}

OpenResult Win32SerialLink::open(const std::string& name, const LineSettings& settings) {
    close();
    OpenResult result;
    // Port names are plain ASCII ("COM2:", "\\.\COM10").
    const std::wstring wide_name(name.begin(), name.end());
    // Read and write, not shared, open-existing only, no overlapped I/O.
    handle_ =
        CreateFileW(wide_name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) {
        result.error_code = static_cast<int>(GetLastError());
        return result;
    }
    fault_.clear();
    result.opened = true;
    result.settings_ok = apply_settings(settings);
    return result;
}

bool Win32SerialLink::apply_settings(const LineSettings& settings) {
    DCB dcb;
    std::memset(&dcb, 0, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    dcb.BaudRate = static_cast<DWORD>(settings.baud);
    dcb.ByteSize = static_cast<BYTE>(settings.data_bits);
    dcb.Parity = settings.even_parity ? EVENPARITY : NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = settings.transparent ? TRUE : FALSE;
    dcb.fParity = settings.parity_check ? TRUE : FALSE;
    // Interfaces powered from DTR/RTS need both held on; no handshakes of any kind.
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    const bool state_ok = SetCommState(handle_, &dcb) != 0;

    // Reads return at once with whatever is waiting, possibly nothing; a failure here is not
    // reported (the block above is what decides whether the line format took).
    COMMTIMEOUTS timeouts;
    std::memset(&timeouts, 0, sizeof timeouts);
    timeouts.ReadIntervalTimeout = MAXDWORD;
    SetCommTimeouts(handle_, &timeouts);
    return state_ok;
}

void Win32SerialLink::close() {
    if (handle_ == INVALID_HANDLE_VALUE) return;
    CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
}

bool Win32SerialLink::write_byte(std::uint8_t byte) {
    if (handle_ == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    if (WriteFile(handle_, &byte, 1, &written, nullptr) == 0) {
        note_failure();
        return false;
    }
    return written == 1;
}

bool Win32SerialLink::read_byte(std::uint8_t& byte) {
    if (handle_ == INVALID_HANDLE_VALUE) return false;
    DWORD got = 0;
    if (ReadFile(handle_, &byte, 1, &got, nullptr) == 0) {
        note_failure();
        return false;
    }
    return got == 1;
}

void Win32SerialLink::note_failure() {
    // A removed USB adapter fails every call with ERROR_ACCESS_DENIED or ERROR_BAD_COMMAND.
    if (fault_.empty()) fault_ = "Windows error " + std::to_string(GetLastError());
}

void Win32SerialLink::set_break(bool on) {
    if (handle_ == INVALID_HANDLE_VALUE) return;
    if (on)
        SetCommBreak(handle_);
    else
        ClearCommBreak(handle_);
}

bool Win32SerialLink::byte_waiting() {
    if (handle_ == INVALID_HANDLE_VALUE) return false;
    DWORD errors = 0;
    COMSTAT status;
    std::memset(&status, 0, sizeof status);
    // Also clears a pending line error (parity, overrun), which would otherwise stop reads.
    return ClearCommError(handle_, &errors, &status) != 0 && status.cbInQue > 0;
}

bool Win32SerialLink::wait_readable(int timeout_ms) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeout_ms > 0 ? timeout_ms : 0);
    if (handle_ == INVALID_HANDLE_VALUE) {
        const DWORD wait_ms = static_cast<DWORD>(timeout_ms > 0 ? timeout_ms : 0);
        if (wake_event_ != nullptr)
            WaitForSingleObject(wake_event_, wait_ms);
        else
            Sleep(wait_ms);
        return false;
    }
    // The port is polled every millisecond while the wake event is watched: simple, and at 1200
    // or 9600 baud a byte never waits long.
    for (;;) {
        if (byte_waiting()) return true;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return false;
        if (wake_event_ != nullptr) {
            if (WaitForSingleObject(wake_event_, 1) == WAIT_OBJECT_0) return byte_waiting();
        } else {
            Sleep(1);
        }
    }
}

void Win32SerialLink::wake() {
    if (wake_event_ != nullptr) SetEvent(wake_event_);
}

std::unique_ptr<SerialLink> make_platform_serial_link() {
    return std::make_unique<Win32SerialLink>();
}
