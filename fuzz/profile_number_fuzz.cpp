// Fuzzes the settings file's number rule against a reference that reads the number with
// std::from_chars, and checks that every 32-bit number reads back from its written forms.
#include "settings/profile_number.h"
#include "fuzz/fuzz_check.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

using namespace folimar;

namespace {

std::optional<int32_t> ReferenceNumber(std::string_view v)
{
    size_t first = v.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return std::nullopt;
    v = v.substr(first, v.find_last_not_of(" \t") - first + 1);
    bool negative = false;
    if (v.front() == '-' || v.front() == '+') {
        negative = v.front() == '-';
        v.remove_prefix(1);
    }
    int base = 10;
    for (std::string_view prefix : {"0x", "0X", "$"}) {
        if (v.substr(0, prefix.size()) == prefix) {
            base = 16;
            v.remove_prefix(prefix.size());
            break;
        }
    }
    const std::string_view digits = base == 16 ? "0123456789abcdefABCDEF" : "0123456789";
    if (v.empty() || v.find_first_not_of(digits) != std::string_view::npos)
        return std::nullopt;
    v.remove_prefix(std::min(v.find_first_not_of('0'), v.size() - 1)); // leading zeros
    uint64_t magnitude = 0;
    auto [end, error] = std::from_chars(v.data(), v.data() + v.size(), magnitude, base);
    if (error != std::errc() || end != v.data() + v.size())
        return std::nullopt; // beyond 64 bits
    if (negative ? magnitude > 2147483648u : magnitude > 2147483647u)
        return std::nullopt;
    return static_cast<int32_t>(negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::optional<int32_t> value = ParseProfileNumber(text);
    FUZZ_REQUIRE(value == ReferenceNumber(text));

    // Any 32-bit number written as the program or a person would write it reads back.
    if (size >= 4) {
        int32_t n;
        std::memcpy(&n, data, sizeof(n));
        FUZZ_REQUIRE(ParseProfileNumber(std::to_string(n)) == n);
        const int64_t wide = n;
        const unsigned long long magnitude = static_cast<unsigned long long>(wide < 0 ? -wide : wide);
        char form[32];
        std::snprintf(form, sizeof(form), "%s0x%llX", wide < 0 ? "-" : "", magnitude);
        FUZZ_REQUIRE(ParseProfileNumber(form) == n);
        // Unsigned, the magnitude reads back as long as it fits.
        std::snprintf(form, sizeof(form), " $%llx\t", magnitude);
        std::optional<int32_t> unsignedValue;
        if (magnitude <= 2147483647u)
            unsignedValue = static_cast<int32_t>(magnitude);
        FUZZ_REQUIRE(ParseProfileNumber(form) == unsignedValue);
    }
    return 0;
}
