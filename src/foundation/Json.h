#pragma once
// A lenient, immutable JSON value. Lookups never fail: a missing member, a
// wrong kind or an index out of range gives a null value carrying an error,
// and the typed accessors fall back to fixed defaults. Values share one
// parsed document, so handing out members and elements costs no copy.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include <nlohmann/json.hpp>

namespace velmora {

enum class JSONType { number, string, boolean, array, dictionary, null, unknown };

enum class JSONError {
    unsupportedType = 999,
    indexOutOfBounds = 900,
    elementTooDeep = 902,
    wrongType = 901,
    notExist = 500,
    invalidJSON = 490,
};

const char* errorDescription(JSONError error);

// A number as the report holds it: integers stay apart from floating-point values.
struct JSONNumber {
    bool isInteger = false;
    std::int64_t integer = 0;
    double real = 0.0;

    std::int64_t toInt64() const;  // truncation toward zero
    double toDouble() const;
};

// One step of a lookup path.
using JSONKey = std::variant<std::int64_t, std::string>;

class JSON {
public:
    JSON();  // null, no error

    // Strict parse of UTF-8 JSON text: the top level must be an object or an array.
    // On failure returns nothing and, when asked, the parser's message.
    static std::optional<JSON> parse(std::string_view bytes, std::string* failure = nullptr);
    // Wraps a native value (copied into a document of its own).
    static JSON fromObject(nlohmann::json value);
    static JSON fromString(std::string text);

    JSONType type() const { return type_; }
    std::optional<JSONError> error() const { return error_; }
    bool exists() const { return !error_.has_value(); }

    JSON operator[](std::string_view key) const;
    JSON operator[](const char* key) const { return (*this)[std::string_view(key)]; }
    JSON operator[](const std::string& key) const { return (*this)[std::string_view(key)]; }
    JSON operator[](std::int64_t index) const;
    JSON operator[](int index) const { return (*this)[static_cast<std::int64_t>(index)]; }
    JSON at(const std::vector<JSONKey>& path) const;

    std::int64_t count() const;
    // Dictionary members (in no promised order) or array elements keyed "0", "1", ...
    std::vector<std::pair<std::string, JSON>> entries() const;

    std::string stringValue() const;
    JSONNumber numberValue() const;
    std::int64_t intValue() const { return numberValue().toInt64(); }
    double doubleValue() const { return numberValue().toDouble(); }

    // Text rendering: strings bare, numbers as stringValue, containers as
    // indented JSON. Absent (after one diagnostic line) when it cannot be written.
    std::optional<std::string> rawText() const;

    bool operator==(const JSON& other) const;
    bool operator!=(const JSON& other) const { return !(*this == other); }

    // The underlying node; nullptr for a null value made by a failed lookup.
    const nlohmann::json* node() const { return node_; }

private:
    JSON(std::shared_ptr<const nlohmann::json> doc, const nlohmann::json* node);
    static JSON failed(JSONError error);

    std::shared_ptr<const nlohmann::json> doc_;
    const nlohmann::json* node_ = nullptr;
    JSONType type_ = JSONType::null;
    std::optional<JSONError> error_;
};

// Reads a decimal number the way report strings are written: optional sign,
// digits, optional fraction, optional exponent; "." whatever the locale.
std::optional<JSONNumber> parseDecimalNumber(std::string_view text);

}  // namespace velmora
