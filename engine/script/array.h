// TKSScriptArray: arrays declared in scripts (1 to 10 dimensions) with typed
// element storage, addressed in row-major order.
#pragma once

#include "script/values.h"

#include <array>
#include <memory>
#include <span>
#include <string>
#include <variant>
#include <vector>

class IKSInterpreterDataType;

class TKSScriptArray {
public:
    static constexpr int kMaxDimensions = 10;

    // Bounds are pairs (low, high); the element type decides the storage.
    TKSScriptArray(std::span<const std::pair<int, int>> bounds, int elementType,
                   std::shared_ptr<const IKSInterpreterDataType> elementDataType);

    int dimensions() const { return dims_; }
    int low(int dim) const { return low_[dim]; }
    int high(int dim) const { return high_[dim]; }
    int elementType() const { return elementType_; }
    std::size_t count() const { return count_; }

    // Raises 172 / 173 for a wrong index count and 171 outside the bounds.
    Variant get(std::span<const Variant> indexes) const;
    void set(std::span<const Variant> indexes, const Variant& value);

    // One-dimensional operations of the array functions.
    Variant at(std::size_t offset) const;
    void setAt(std::size_t offset, const Variant& value);
    void resize(std::size_t count);
    void erase(std::size_t offset);
    void insert(std::size_t offset, const Variant& value);

private:
    std::size_t offsetOf(std::span<const Variant> indexes) const;
    Variant initialElement() const;

    int dims_ = 1;
    std::array<int, kMaxDimensions> low_{};
    std::array<int, kMaxDimensions> high_{};
    int elementType_ = 0;
    std::shared_ptr<const IKSInterpreterDataType> elementDataType_;
    std::size_t count_ = 0;
    std::variant<std::vector<int32_t>, std::vector<int16_t>, std::vector<uint8_t>, std::vector<double>,
                 std::vector<std::intptr_t>, std::vector<std::string>, std::vector<Variant>>
        storage_;
};
