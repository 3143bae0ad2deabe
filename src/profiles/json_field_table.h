#pragma once

#include <json/value.h>

#include <cstdint>
#include <span>
#include <type_traits>
#include <variant>

#include "profiles/json_access.h"

namespace zt640 {

/// How a record member is kept in its JSON member.
enum class JsonFieldForm : uint8_t {
  kNumber,     ///< read as an integer cut to the member's width, written as it is
  kFlag,       ///< read as a boolean (1 or 0), written as it is
  kBit,        ///< read as a boolean, written as 1 or 0
  kWriteOnly,  ///< written as it is, never read back
};

/// One member of a record and the JSON key it is stored under. A group's
/// fields are listed once, in a table that drives both reading and writing.
template <typename Record>
struct JsonField {
  using Member = std::variant<uint8_t Record::*, uint16_t Record::*, int32_t Record::*>;
  const char* key;
  Member member;
  JsonFieldForm form = JsonFieldForm::kNumber;
};

/// Reads every field of `fields` from the object `group` into `record`; an
/// absent or mistyped member reads as zero.
template <typename Record>
void ReadJsonFields(const Json::Value& group, std::type_identity_t<std::span<const JsonField<Record>>> fields,
                    Record& record) {
  for (const JsonField<Record>& field : fields) {
    if (field.form == JsonFieldForm::kWriteOnly) continue;
    const Json::Value& value = MemberOrNull(group, field.key);
    std::visit(
        [&](auto member) {
          using Value = std::remove_reference_t<decltype(record.*member)>;
          record.*member = field.form == JsonFieldForm::kNumber ? static_cast<Value>(JsonInt(value))
                                                                 : static_cast<Value>(JsonBool(value) ? 1 : 0);
        },
        field.member);
  }
}

/// Writes every field of `fields` from `record` into `group`, which the
/// caller has made an object. Every value is stored as a JSON integer.
template <typename Record>
void WriteJsonFields(Json::Value& group, std::type_identity_t<std::span<const JsonField<Record>>> fields,
                     const Record& record) {
  for (const JsonField<Record>& field : fields) {
    std::visit(
        [&](auto member) {
          const int value = static_cast<int>(record.*member);
          group[field.key] = field.form == JsonFieldForm::kBit ? (value != 0 ? 1 : 0) : value;
        },
        field.member);
  }
}

}  // namespace zt640
