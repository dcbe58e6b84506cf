// Declared types of script variables: simple types, arrays and records. Each
// gives the initial value of a fresh variable and the type code.
#pragma once

#include "script/values.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

class TKSInterpreterAdapter;

class IKSInterpreterDataType {
public:
    virtual ~IKSInterpreterDataType() = default;
    virtual Variant initialValue() const = 0;
    virtual int typeCode() const = 0;
    // True when every variable may start with the same value (nothing in it
    // is ever changed in place), so a caller may keep one initialValue().
    virtual bool initialValueShared() const { return false; }
};

class TKSInterpreterSimpleDataType : public IKSInterpreterDataType {
public:
    explicit TKSInterpreterSimpleDataType(int code) : code_(code), zero_(zeroValueOf(code)) {}
    Variant initialValue() const override { return zero_; }
    int typeCode() const override { return code_; }
    bool initialValueShared() const override { return true; }

private:
    int code_;
    Variant zero_;
};

class TKSInterpreterArrayDataType : public IKSInterpreterDataType {
public:
    TKSInterpreterArrayDataType(std::vector<std::pair<int, int>> bounds, int elementType,
                                std::shared_ptr<const IKSInterpreterDataType> elementDataType)
        : bounds_(std::move(bounds)), elementType_(elementType), elementDataType_(std::move(elementDataType))
    {
    }
    Variant initialValue() const override;
    int typeCode() const override { return ksKinds().array; }

private:
    std::vector<std::pair<int, int>> bounds_;
    int elementType_;
    std::shared_ptr<const IKSInterpreterDataType> elementDataType_;
};

// A record type known to a registry: fresh values are new record holders.
class TKSInterpreterRecordDataType : public IKSInterpreterDataType {
public:
    TKSInterpreterRecordDataType(const TKSInterpreterAdapter* registry, std::string name)
        : registry_(registry), name_(std::move(name))
    {
    }
    Variant initialValue() const override;
    int typeCode() const override { return ksKinds().record; }

private:
    const TKSInterpreterAdapter* registry_;
    std::string name_;
};

std::shared_ptr<const IKSInterpreterDataType> simpleDataType(int code);
