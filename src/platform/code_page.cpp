#include "code_page.h"

#include <array>
#include <climits>
#include <cstddef>
#include <cstring>
#include <string>
#include <utility>

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

namespace {

// Owns one ICU converter. A converter carries state between calls, so a thread never shares its
// converters with another.
class IcuConverter {
public:
    explicit IcuConverter(UConverter* converter = nullptr) : m_converter(converter) {}
    ~IcuConverter() {
        if (m_converter != nullptr) {
            ucnv_close(m_converter);
        }
    }
    IcuConverter(const IcuConverter&) = delete;
    IcuConverter& operator=(const IcuConverter&) = delete;
    IcuConverter(IcuConverter&& other) noexcept
        : m_converter(std::exchange(other.m_converter, nullptr)) {}
    IcuConverter& operator=(IcuConverter&& other) noexcept {
        std::swap(m_converter, other.m_converter);
        return *this;
    }

    UConverter* get() const { return m_converter; }

private:
    UConverter* m_converter = nullptr;
};

// ICU's own substitute callback drops unmappable default-ignorable characters (soft hyphen,
// zero-width joiner and the like) without a trace; the Windows calls replace every character
// they cannot map, so this one does too.
void substituteEveryCharacter(const void*, UConverterFromUnicodeArgs* arguments, const UChar*,
                              int32_t, UChar32, UConverterCallbackReason reason,
                              UErrorCode* status) {
    if (reason != UCNV_UNASSIGNED && reason != UCNV_ILLEGAL && reason != UCNV_IRREGULAR) {
        return;
    }
    *status = U_ZERO_ERROR;
    ucnv_cbFromUWriteSub(arguments, 0, status);
}

IcuConverter openConverter(const char* name, const char* substitute) {
    UErrorCode status = U_ZERO_ERROR;
    IcuConverter converter(ucnv_open(name, &status));
    if (U_FAILURE(status)) {
        return IcuConverter();
    }
    // Set even where ICU's table already says "?": some GBK tables substitute 0x1A instead.
    ucnv_setSubstChars(converter.get(), substitute, static_cast<int8_t>(std::strlen(substitute)),
                       &status);
    ucnv_setFromUCallBack(converter.get(), substituteEveryCharacter, nullptr, nullptr, nullptr,
                          &status);
    if (U_FAILURE(status)) {
        return IcuConverter();
    }
    return converter;
}

UConverter* converterFor(unsigned codePage) {
    switch (codePage) {
    case codePageAnsi:
    case codePageGbk: {
        // "windows-936" is the table Windows uses for 936, with 0x80 as the euro sign.
        thread_local const IcuConverter gbk = openConverter("windows-936", "?");
        return gbk.get();
    }
    case codePageUtf8: {
        thread_local const IcuConverter utf8 = openConverter("UTF-8", "\xEF\xBF\xBD");
        return utf8.get();
    }
    default:
        return nullptr;
    }
}

template <typename Unit> bool resolveLength(const Unit* source, int& sourceLength) {
    if (sourceLength != -1) {
        return sourceLength >= 0;
    }
    const std::size_t withTerminator = std::char_traits<Unit>::length(source) + 1;
    if (withTerminator > static_cast<std::size_t>(INT_MAX)) {
        return false;
    }
    sourceLength = static_cast<int>(withTerminator);
    return true;
}

// Runs one whole conversion. Without an output it converts into a scratch buffer, chunk by
// chunk, only to count, so a size query costs no allocation however long the text is.
template <typename Source, typename Target, typename Step>
int convert(UConverter* converter, Step step, const Source* source, int sourceLength,
            Target* output, int outputSize) {
    ucnv_reset(converter);
    const Source* const sourceEnd = source + sourceLength;
    UErrorCode status = U_ZERO_ERROR;
    if (outputSize > 0) {
        Target* target = output;
        step(converter, &target, output + outputSize, &source, sourceEnd, &status);
        return U_SUCCESS(status) ? static_cast<int>(target - output) : 0;
    }
    std::array<Target, 4096> scratch;
    long long needed = 0;
    do {
        status = U_ZERO_ERROR;
        Target* target = scratch.data();
        step(converter, &target, scratch.data() + scratch.size(), &source, sourceEnd, &status);
        needed += target - scratch.data();
    } while (status == U_BUFFER_OVERFLOW_ERROR);
    if (U_FAILURE(status) || needed > INT_MAX) {
        return 0;
    }
    return static_cast<int>(needed);
}

template <typename Source, typename Target, typename Step>
int convertChecked(unsigned codePage, unsigned long flags, const Source* source, int sourceLength,
                   Target* output, int outputSize, Step step) {
    if (flags != 0 || source == nullptr || outputSize < 0 ||
        (outputSize > 0 && output == nullptr) || !resolveLength(source, sourceLength)) {
        return 0;
    }
    UConverter* const converter = converterFor(codePage);
    if (converter == nullptr) {
        return 0;
    }
    return convert(converter, step, source, sourceLength, output, outputSize);
}

} // namespace

int multiByteToWideChar(unsigned codePage, unsigned long flags, const char* source,
                        int sourceLength, char16_t* output, int outputSize) {
    return convertChecked(codePage, flags, source, sourceLength, output, outputSize,
                          [](UConverter* converter, char16_t** target, char16_t* targetEnd,
                             const char** from, const char* fromEnd, UErrorCode* status) {
                              ucnv_toUnicode(converter, target, targetEnd, from, fromEnd, nullptr,
                                             true, status);
                          });
}

int wideCharToMultiByte(unsigned codePage, unsigned long flags, const char16_t* source,
                        int sourceLength, char* output, int outputSize) {
    return convertChecked(codePage, flags, source, sourceLength, output, outputSize,
                          [](UConverter* converter, char** target, char* targetEnd,
                             const char16_t** from, const char16_t* fromEnd, UErrorCode* status) {
                              ucnv_fromUnicode(converter, target, targetEnd, from, fromEnd, nullptr,
                                               true, status);
                          });
}
