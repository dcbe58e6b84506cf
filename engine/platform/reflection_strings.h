// A published list of texts ("TStrings"/"TStringList"), used by properties
// such as Lines and Items; form text stores it as Lines.Strings = ('a' 'b').
#pragma once

#include "platform/reflection.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class Strings : public Persistent {
public:
    TK_CLASS_INFO

    const std::vector<std::string>& lines() const { return lines_; }
    void setLines(std::vector<std::string> lines);
    int count() const { return static_cast<int>(lines_.size()); }
    // The line at index; empty for an index out of range.
    std::string line(int index) const;
    void add(std::string line);
    void clear();
    // All lines, each followed by CR LF; setText splits at CR LF, LF or CR.
    std::string text() const;
    void setText(std::string_view text);

    void assign(const Persistent& source) override;

    // Called after every change (the owning control shows the new lines).
    std::function<void()> onChange;

private:
    void changed();
    std::vector<std::string> lines_;
};

// The concrete list class of the same behaviour.
class StringList : public Strings {
public:
    TK_CLASS_INFO
};

} // namespace platform
