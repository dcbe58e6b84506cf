// Record types and record holders: host records (fields at byte offsets with a
// type code) and records declared by scripts (every field a dynamic value).
#pragma once

#include "script/values.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class IKSInterpreterDataType;

struct TKSRecordField {
    std::string name;
    int symbol = -1;
    int offset = 0;     // byte offset of a native field (16/32-bit integers, Booleans)
    int typeCode = 0;   // strings and every other code are held as dynamic values
    std::shared_ptr<const IKSInterpreterDataType> dataType;  // script fields: initial value
};

struct TKSRecordType {
    std::string unitName;
    std::string name;
    int symbol = -1;
    std::size_t size = 0;
    std::vector<TKSRecordField> fields;
    // Optional host operations on the record's memory.
    std::function<void(void*)> create;
    std::function<void(void*)> free;
    std::function<void(void* destination, const void* source)> copy;
    std::intptr_t data = 0;

    const TKSRecordField* field(int symbol, int* index = nullptr) const;
};

class TKSInterpreterRecHolder {
public:
    explicit TKSInterpreterRecHolder(std::shared_ptr<const TKSRecordType> type);
    ~TKSInterpreterRecHolder();
    TKSInterpreterRecHolder(const TKSInterpreterRecHolder&) = delete;
    TKSInterpreterRecHolder& operator=(const TKSInterpreterRecHolder&) = delete;

    const TKSRecordType& type() const { return *type_; }
    const std::shared_ptr<const TKSRecordType>& typePtr() const { return type_; }
    void* memory() { return memory_.data(); }
    const void* memory() const { return memory_.data(); }

    Variant field(std::size_t index) const;
    void setField(std::size_t index, const Variant& value);
    // Field-by-field copy from a record of the same type (else: a type mismatch).
    void assignFrom(const TKSInterpreterRecHolder& source);
    std::shared_ptr<TKSInterpreterRecHolder> clone() const;

private:
    static bool isNative(int code);

    std::shared_ptr<const TKSRecordType> type_;
    std::vector<std::byte> memory_;
    std::vector<Variant> values_;  // one per field; used by non-native fields
};
