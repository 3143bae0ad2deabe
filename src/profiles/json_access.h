#pragma once

#include <json/value.h>

#include <cstdint>
#include <string>

namespace zt640 {

/// Tolerant access to documents read from user files. The JSON library throws
/// on a conversion or member access that does not fit the value's type; these
/// helpers read such values as the zero value instead, so a hand-edited or
/// damaged file never stops the program.

/// Array positions a getter or setter may grow an array to. Positions beyond
/// come only from damaged files and would otherwise allocate without bound.
inline constexpr Json::ArrayIndex kMaxJsonGrowIndex = 4096;

/// A 32-bit integer: integers that fit in 32 bits (signed or unsigned, the
/// latter wrapping), booleans as 0/1 and reals inside the int range; anything
/// else (strings, containers, larger integers) is 0.
[[nodiscard]] int32_t JsonInt(const Json::Value& value);

/// A boolean: numbers are true when not zero; strings and containers false.
[[nodiscard]] bool JsonBool(const Json::Value& value);

/// A string value; any other type gives an empty string.
[[nodiscard]] std::string JsonString(const Json::Value& value);

/// The member `key` of an object for reading through modifying access: an
/// absent key is added with a null value, as the profile files have always
/// recorded the groups a device looked for. A value that is neither object nor
/// null gives nullptr and is left untouched; a null value becomes an object.
[[nodiscard]] Json::Value* TouchMember(Json::Value& object, const char* key);

/// Element `index` of an array through modifying access (the array grows to
/// hold it; null becomes an array). Other types and positions beyond
/// kMaxJsonGrowIndex give nullptr and leave the value untouched.
[[nodiscard]] Json::Value* TouchElement(Json::Value& array, Json::ArrayIndex index);

/// The member `key` for writing: a value that is not an object is replaced by
/// an empty object first.
[[nodiscard]] Json::Value& WritableMember(Json::Value& object, const char* key);

/// Element `index` for writing: a value that is not an array is replaced by an
/// empty array first. Callers keep `index` within kMaxJsonGrowIndex.
[[nodiscard]] Json::Value& WritableElement(Json::Value& array, Json::ArrayIndex index);

/// Read-only lookups that never throw and never change the document: the
/// member or element, or a shared null value when absent or of another type.
[[nodiscard]] const Json::Value& MemberOrNull(const Json::Value& object, const char* key);
[[nodiscard]] const Json::Value& ElementOrNull(const Json::Value& array, Json::ArrayIndex index);

}  // namespace zt640
