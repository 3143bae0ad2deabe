#include "profiles/json_access.h"

#include <cmath>
#include <limits>

namespace zt640 {

namespace {
const Json::Value& NullValue() {
  static const Json::Value null;
  return null;
}
}  // namespace

int32_t JsonInt(const Json::Value& value) {
  switch (value.type()) {
    case Json::intValue: {
      const Json::LargestInt number = value.asLargestInt();
      if (number < std::numeric_limits<int32_t>::min() || number > std::numeric_limits<uint32_t>::max()) return 0;
      return static_cast<int32_t>(static_cast<uint32_t>(number));
    }
    case Json::uintValue: {
      const Json::LargestUInt number = value.asLargestUInt();
      return number > std::numeric_limits<uint32_t>::max() ? 0 : static_cast<int32_t>(static_cast<uint32_t>(number));
    }
    case Json::realValue: {
      const double number = value.asDouble();
      if (!std::isfinite(number) || number < std::numeric_limits<int32_t>::min() ||
          number > std::numeric_limits<int32_t>::max()) {
        return 0;
      }
      return static_cast<int32_t>(number);
    }
    case Json::booleanValue:
      return value.asBool() ? 1 : 0;
    default:
      return 0;
  }
}

bool JsonBool(const Json::Value& value) {
  switch (value.type()) {
    case Json::intValue:
      return value.asLargestInt() != 0;
    case Json::uintValue:
      return value.asLargestUInt() != 0;
    case Json::realValue:
      return value.asDouble() != 0.0;
    case Json::booleanValue:
      return value.asBool();
    default:
      return false;
  }
}

std::string JsonString(const Json::Value& value) { return value.isString() ? value.asString() : std::string(); }

Json::Value* TouchMember(Json::Value& object, const char* key) {
  if (!object.isObject() && !object.isNull()) return nullptr;
  return &object[key];
}

Json::Value* TouchElement(Json::Value& array, Json::ArrayIndex index) {
  if (!array.isArray() && !array.isNull()) return nullptr;
  if (index > kMaxJsonGrowIndex && index >= array.size()) return nullptr;
  return &array[index];
}

Json::Value& WritableMember(Json::Value& object, const char* key) {
  if (!object.isObject()) object = Json::Value(Json::objectValue);
  return object[key];
}

Json::Value& WritableElement(Json::Value& array, Json::ArrayIndex index) {
  if (!array.isArray()) array = Json::Value(Json::arrayValue);
  return array[index];
}

const Json::Value& MemberOrNull(const Json::Value& object, const char* key) {
  if (!object.isObject()) return NullValue();
  const Json::Value* member = object.find(key, key + std::char_traits<char>::length(key));
  return member != nullptr ? *member : NullValue();
}

const Json::Value& ElementOrNull(const Json::Value& array, Json::ArrayIndex index) {
  if (!array.isArray() || index >= array.size()) return NullValue();
  return array[index];
}

}  // namespace zt640
