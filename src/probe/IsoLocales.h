#pragma once
#include <string>
#include <string_view>

namespace velmora {

struct IsoLocaleInfo {
    std::string_view name;
    std::string_view local;
    std::string_view alpha1;
    std::string_view alpha2;
    std::string_view alpha2T;
    std::string_view alpha2B;
    std::string_view alpha3;
};

// The row of the language table for a two- or three-letter code (any case);
// a row of empty strings when nothing matches.
IsoLocaleInfo languageInfo(const std::string& code);

}  // namespace velmora
