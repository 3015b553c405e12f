#include <fnmatch.h>
#include <locale.h>

#include "os/pattern_match.h"

namespace zelk::os {
namespace {

// fnmatch's "?" is one character only under a multibyte locale, and the
// program's own locale may be "C": matching runs under C.UTF-8 whatever it is.
class Utf8Locale {
public:
    Utf8Locale() : locale_(newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{})) {}
    ~Utf8Locale() {
        if (locale_) freelocale(locale_);
    }
    Utf8Locale(const Utf8Locale&) = delete;
    Utf8Locale& operator=(const Utf8Locale&) = delete;
    locale_t get() const { return locale_; }

private:
    locale_t locale_;
};

// This thread's locale for as long as the object lives.
class ThreadLocale {
public:
    explicit ThreadLocale(locale_t locale) : previous_(locale ? uselocale(locale) : locale_t{}) {}
    ~ThreadLocale() {
        if (previous_) uselocale(previous_);
    }
    ThreadLocale(const ThreadLocale&) = delete;
    ThreadLocale& operator=(const ThreadLocale&) = delete;

private:
    locale_t previous_;
};

}  // namespace

bool patternMatches(const std::string& pattern, const std::string& name, bool ignoreCase) {
    const int flags = ignoreCase ? FNM_CASEFOLD : 0;
    int result;
    {
        static const Utf8Locale utf8;
        const ThreadLocale scope(utf8.get());
        result = fnmatch(pattern.c_str(), name.c_str(), flags);
    }
    if (result != 0 && result != FNM_NOMATCH) result = fnmatch(pattern.c_str(), name.c_str(), flags);
    return result == 0;
}

}  // namespace zelk::os
