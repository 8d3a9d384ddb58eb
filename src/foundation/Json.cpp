#include "foundation/Json.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "foundation/Diagnostics.h"
#include "foundation/Numbers.h"

namespace velmora {

const char* errorDescription(JSONError error)
{
    switch (error) {
    case JSONError::unsupportedType: return "It is an unsupported type.";
    case JSONError::indexOutOfBounds: return "Array Index is out of bounds.";
    case JSONError::elementTooDeep:
        return "Element too deep. Increase maxObjectDepth and make sure there is no reference loop.";
    case JSONError::wrongType: return "Couldn't merge, because the JSONs differ in type on top level.";
    case JSONError::notExist: return "Dictionary key does not exist.";
    case JSONError::invalidJSON: return "JSON is invalid.";
    }
    return "";
}

std::int64_t JSONNumber::toInt64() const
{
    return isInteger ? integer : truncateToInt64(real);
}

double JSONNumber::toDouble() const
{
    return isInteger ? static_cast<double>(integer) : real;
}

std::optional<JSONNumber> parseDecimalNumber(std::string_view text)
{
    size_t pos = 0;
    const size_t n = text.size();
    bool negative = false;
    if (pos < n && (text[pos] == '+' || text[pos] == '-'))
        negative = text[pos++] == '-';
    const size_t mantissaStart = pos;
    size_t digits = 0;
    while (pos < n && text[pos] >= '0' && text[pos] <= '9')
        ++pos, ++digits;
    bool integral = true;
    if (pos < n && text[pos] == '.') {
        integral = false;
        ++pos;
        while (pos < n && text[pos] >= '0' && text[pos] <= '9')
            ++pos, ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    if (pos < n && (text[pos] == 'e' || text[pos] == 'E')) {
        size_t expPos = pos + 1;
        if (expPos < n && (text[expPos] == '+' || text[expPos] == '-'))
            ++expPos;
        size_t expDigits = 0;
        while (expPos + expDigits < n && text[expPos + expDigits] >= '0' && text[expPos + expDigits] <= '9')
            ++expDigits;
        if (expDigits > 0) {
            integral = false;
            pos = expPos + expDigits;
        }
    }
    if (pos != n)
        return std::nullopt;

    JSONNumber number;
    const char* first = text.data() + mantissaStart;
    const char* last = text.data() + pos;
    if (integral) {
        std::int64_t value = 0;
        auto [ptr, ec] = std::from_chars(first, last, value);
        if (ec == std::errc() && ptr == last) {
            number.isInteger = true;
            number.integer = negative ? -value : value;
            return number;
        }
    }
    double value = 0.0;
    auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() && ec != std::errc::result_out_of_range)
        return std::nullopt;
    number.real = negative ? -value : value;
    return number;
}

namespace {

JSONType classify(const nlohmann::json& value)
{
    switch (value.type()) {
    case nlohmann::json::value_t::number_integer:
    case nlohmann::json::value_t::number_unsigned:
    case nlohmann::json::value_t::number_float: return JSONType::number;
    case nlohmann::json::value_t::boolean: return JSONType::boolean;
    case nlohmann::json::value_t::string: return JSONType::string;
    case nlohmann::json::value_t::null: return JSONType::null;
    case nlohmann::json::value_t::array: return JSONType::array;
    case nlohmann::json::value_t::object: return JSONType::dictionary;
    default: return JSONType::unknown;
    }
}

JSONNumber numberOf(const nlohmann::json& value)
{
    JSONNumber number;
    switch (value.type()) {
    case nlohmann::json::value_t::number_integer:
        number.isInteger = true;
        number.integer = value.get<std::int64_t>();
        break;
    case nlohmann::json::value_t::number_unsigned: {
        const auto u = value.get<std::uint64_t>();
        if (u <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            number.isInteger = true;
            number.integer = static_cast<std::int64_t>(u);
        } else {
            number.real = static_cast<double>(u);
        }
        break;
    }
    case nlohmann::json::value_t::number_float: number.real = value.get<double>(); break;
    default: break;
    }
    return number;
}

std::string numberText(const nlohmann::json& value)
{
    switch (value.type()) {
    case nlohmann::json::value_t::number_integer: return std::to_string(value.get<std::int64_t>());
    case nlohmann::json::value_t::number_unsigned: return std::to_string(value.get<std::uint64_t>());
    case nlohmann::json::value_t::number_float: return shortestDouble(value.get<double>(), false);
    default: return {};
    }
}

// Deepest nesting of arrays and objects that parse accepts. Writing, copying
// and comparing a tree recurse once per level, so an unbounded depth from a
// hostile report could exhaust the stack.
constexpr int kMaxNesting = 512;

bool nestingWithinLimit(std::string_view bytes)
{
    int depth = 0;
    bool inString = false;
    bool escaped = false;
    for (const char c : bytes) {
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > kMaxNesting)
                return false;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return true;
}

}  // namespace

JSON::JSON() = default;

JSON::JSON(std::shared_ptr<const nlohmann::json> doc, const nlohmann::json* node)
    : doc_(std::move(doc)), node_(node), type_(classify(*node_))
{
    if (type_ == JSONType::unknown)
        error_ = JSONError::unsupportedType;
}

JSON JSON::failed(JSONError error)
{
    JSON value;
    value.error_ = error;
    return value;
}

std::optional<JSON> JSON::parse(std::string_view bytes, std::string* failure)
{
    if (!nestingWithinLimit(bytes)) {
        if (failure)
            *failure = "The data couldn't be read because it is nested too deeply.";
        return std::nullopt;
    }
    auto doc = std::make_shared<nlohmann::json>(nlohmann::json::parse(bytes.begin(), bytes.end(), nullptr, false));
    if (doc->is_discarded()) {
        if (failure)
            *failure = "The data couldn't be read because it isn't in the correct format.";
        return std::nullopt;
    }
    if (!doc->is_object() && !doc->is_array()) {
        if (failure)
            *failure = "The top level of the JSON text must be an object or an array.";
        return std::nullopt;
    }
    const nlohmann::json* root = doc.get();
    return JSON(std::move(doc), root);
}

JSON JSON::fromObject(nlohmann::json value)
{
    auto doc = std::make_shared<const nlohmann::json>(std::move(value));
    const nlohmann::json* root = doc.get();
    return JSON(std::move(doc), root);
}

JSON JSON::fromString(std::string text)
{
    return fromObject(nlohmann::json(std::move(text)));
}

JSON JSON::operator[](std::string_view key) const
{
    if (type_ != JSONType::dictionary)
        return failed(error_.value_or(JSONError::wrongType));
    const auto it = node_->find(key);
    if (it == node_->end())
        return failed(JSONError::notExist);
    return JSON(doc_, &*it);
}

JSON JSON::operator[](std::int64_t index) const
{
    if (type_ != JSONType::array)
        return failed(error_.value_or(JSONError::wrongType));
    if (index < 0 || index >= static_cast<std::int64_t>(node_->size()))
        return failed(JSONError::indexOutOfBounds);
    return JSON(doc_, &(*node_)[static_cast<size_t>(index)]);
}

JSON JSON::at(const std::vector<JSONKey>& path) const
{
    JSON current = *this;
    for (const JSONKey& step : path) {
        if (const auto* index = std::get_if<std::int64_t>(&step))
            current = current[*index];
        else
            current = current[std::get<std::string>(step)];
    }
    return current;
}

std::int64_t JSON::count() const
{
    if (type_ == JSONType::array || type_ == JSONType::dictionary)
        return static_cast<std::int64_t>(node_->size());
    return 0;
}

std::vector<std::pair<std::string, JSON>> JSON::entries() const
{
    std::vector<std::pair<std::string, JSON>> result;
    if (type_ == JSONType::dictionary) {
        result.reserve(node_->size());
        for (auto it = node_->begin(); it != node_->end(); ++it)
            result.emplace_back(it.key(), JSON(doc_, &it.value()));
    } else if (type_ == JSONType::array) {
        result.reserve(node_->size());
        size_t i = 0;
        for (const auto& element : *node_)
            result.emplace_back(std::to_string(i++), JSON(doc_, &element));
    }
    return result;
}

std::string JSON::stringValue() const
{
    switch (type_) {
    case JSONType::string: return node_->get_ref<const std::string&>();
    case JSONType::number: return numberText(*node_);
    case JSONType::boolean: return node_->get<bool>() ? "true" : "false";
    default: return {};
    }
}

JSONNumber JSON::numberValue() const
{
    switch (type_) {
    case JSONType::number: return numberOf(*node_);
    case JSONType::string:
        return parseDecimalNumber(node_->get_ref<const std::string&>()).value_or(JSONNumber{true, 0, 0.0});
    case JSONType::boolean: return JSONNumber{true, node_->get<bool>() ? 1 : 0, 0.0};
    default: return JSONNumber{};
    }
}

std::optional<std::string> JSON::rawText() const
{
    switch (type_) {
    case JSONType::string: return node_->get_ref<const std::string&>();
    case JSONType::number: return numberText(*node_);
    case JSONType::boolean: return std::string(node_->get<bool>() ? "true" : "false");
    case JSONType::null: return std::string("null");
    case JSONType::array:
    case JSONType::dictionary:
        try {
            return node_->dump(2, ' ', false, nlohmann::json::error_handler_t::strict);
        } catch (const nlohmann::json::exception& failure) {
            diagnostic(std::string("Could not serialize object to JSON because: ") + failure.what());
            return std::nullopt;
        }
    case JSONType::unknown:
        diagnostic(std::string("Could not serialize object to JSON because: ") +
                   errorDescription(JSONError::invalidJSON));
        return std::nullopt;
    }
    return std::nullopt;
}

bool JSON::operator==(const JSON& other) const
{
    if (type_ != other.type_ || type_ == JSONType::unknown)
        return false;
    if (type_ == JSONType::null)
        return true;
    return *node_ == *other.node_;
}

}  // namespace velmora
