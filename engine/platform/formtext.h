// Window description format: a readable text of nested components and their
// property values, read into components and written back from them.
#pragma once

#include "platform/component.h"

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

// The notation (UTF-8 text; strings are GBK once read):
//
//   object Form1: TForm1
//     Left = 224
//     Caption = 'Tear'#39's'        strings: '' is a quote, #NNN a character code
//     Font.Name = 'MS Sans Serif'   properties of sub-objects
//     Color = clBtnFace             identifiers: enumeration values, named constants,
//     OnShow = FormShow             handler names, component references
//     BorderIcons = [biSystemMenu]  sets
//     Lines.Strings = (             lists of texts
//       'first'
//       'second')
//     ReportData = {0A0B0C}         binary data as hex, may span lines
//     object Edit1: TEdit           owned components, nested under their parent
//     end
//   end
//
// #NNN below 256 is that byte of the GBK text; larger codes are Unicode code
// points. A string may continue on the next line after '+'.

// A malformed text, an unknown class or property, a value of the wrong kind.
class FormTextError : public std::runtime_error {
public:
    FormTextError(int line, const std::string& message);
    int line() const { return line_; }

private:
    int line_;
};

// Finds the handler an event property names; nothing when there is none.
using MethodResolver = std::function<std::optional<MethodValue>(std::string_view handlerName)>;

// Reads a description into `root`, whose class must be the header's class or
// derive from it when that class is registered. Nested objects are created
// through the class registry and owned by the root (a component of the same
// name that the root already owns and that is of the named class is reused,
// as is the one an "inherited" object names); each gets the enclosing
// component as its parent component. Component references are resolved after
// the whole text: a name owned by the root, the root itself, or
// Window.Component through the list of open windows. After reading, loaded()
// runs for the root and every component read. On error the components
// created by this read are deleted and FormTextError names the line.
void readForm(std::string_view text, Component& root, const MethodResolver& resolveMethod = {});

// Reads a description whose root is created from the header's class.
std::unique_ptr<Component> readNewForm(std::string_view text, const MethodResolver& resolveMethod = {});

// Writes the description of `root`: stored published properties that differ
// from their defaults, then form-only data, then the nested components.
std::string writeForm(const Component& root);

// Named integer constants of an integer property type (TColor: clBtnFace...,
// TCursor: crHandPoint...): read by name, written by name when one matches.
void registerIntegerConstants(std::string typeName, std::vector<std::pair<std::string, int>> constants);
std::optional<int> integerConstant(std::string_view typeName, std::string_view name);
std::optional<std::string> integerConstantName(std::string_view typeName, int value);

} // namespace platform
