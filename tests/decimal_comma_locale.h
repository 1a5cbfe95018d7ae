#pragma once

#include <locale.h>
#include <clocale>
#include <string>

// The German locale, whose decimal separator is a comma, for tests that run code the way a
// German user's process would. A scope switches the C library to it and back at its end.
// Thread: the test's thread; the switch is process-wide, so no other thread may format numbers.
class DecimalCommaLocale {
  public:
    static constexpr const char* kName = "de_DE.UTF-8";
    static constexpr const char* kMissing =
        "the de_DE.UTF-8 locale is not installed (scripts/install-deps generates it)";

    // Whether the C library has the locale (setting LC_ALL to a missing one silently means "C").
    static bool installed() {
        const locale_t german = newlocale(LC_ALL_MASK, kName, locale_t(0));
        if (german == locale_t(0)) return false;
        freelocale(german);
        return true;
    }

    DecimalCommaLocale() : before_(std::setlocale(LC_ALL, nullptr)) {
        active_ = std::setlocale(LC_ALL, kName) != nullptr && *std::localeconv()->decimal_point == ',';
    }
    ~DecimalCommaLocale() { std::setlocale(LC_ALL, before_.c_str()); }
    DecimalCommaLocale(const DecimalCommaLocale&) = delete;
    DecimalCommaLocale& operator=(const DecimalCommaLocale&) = delete;

    // False when the locale is missing; the process then still runs under "C".
    bool active() const { return active_; }

  private:
    std::string before_;
    bool active_ = false;
};
