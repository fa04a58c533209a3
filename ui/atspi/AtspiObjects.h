// The D-Bus objects of the AT-SPI bridge: one fallback object tree under
// /org/a11y/atspi/accessible whose paths name nodes (AtspiMapping), so each
// call finds its node afresh and a node that has gone answers an error. The
// interfaces a node has come from AtspiMapping::Interfaces. One class, split
// by concern: AtspiObjects.cpp (registration, Accessible, Application,
// Cache) and AtspiInterfaces.cpp (Component, Action, Value, Text, Selection).
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ui/atspi/AtspiBridge.h"


namespace zintra::ui {

class AtspiObjects {
public:
    explicit AtspiObjects(AtspiBridge& bridge) : bridge_(bridge) {}
    ~AtspiObjects();
    AtspiObjects(const AtspiObjects&) = delete;
    AtspiObjects& operator=(const AtspiObjects&) = delete;

    // Adds every interface's objects to `bus`.
    bool Register(sd_bus* bus);

private:
    // The tables of each interface's members, and the handlers sd-bus calls
    // (userdata is this).
    static const sd_bus_vtable* AccessibleTable();
    static const sd_bus_vtable* ApplicationTable();
    static const sd_bus_vtable* CacheTable();
    static const sd_bus_vtable* ComponentTable();
    static const sd_bus_vtable* ActionTable();
    static const sd_bus_vtable* ValueTable();
    static const sd_bus_vtable* TextTable();
    static const sd_bus_vtable* SelectionTable();

    static int Find(sd_bus* bus, const char* path, const char* interface, void* userdata, void** found,
                    sd_bus_error* error);
    // Every method and property: the node looked up, then the interface's answer.
    static int Method(sd_bus_message* call, void* userdata, sd_bus_error* error);
    static int Property(sd_bus* bus, const char* path, const char* interface, const char* property,
                        sd_bus_message* reply, void* userdata, sd_bus_error* error);
    static int SetApplicationId(sd_bus* bus, const char* path, const char* interface, const char* property,
                                sd_bus_message* value, void* userdata, sd_bus_error* error);
    int AccessibleProperty(const AtspiTarget& target, std::string_view property, sd_bus_message* reply);
    int ApplicationProperty(std::string_view property, sd_bus_message* reply);
    int ActionProperty(const AtspiTarget& target, std::string_view property, sd_bus_message* reply);
    int ValueProperty(const AtspiTarget& target, std::string_view property, sd_bus_message* reply);
    int TextProperty(const AtspiTarget& target, std::string_view property, sd_bus_message* reply);
    int SelectionProperty(const AtspiTarget& target, std::string_view property, sd_bus_message* reply);

    using Reference = std::pair<std::string, std::string>;  // bus name, object path

    // The node a call is about; none (and the error set) when it has gone.
    std::optional<AtspiTarget> Target(sd_bus_message* call, sd_bus_error* error) const;
    Reference Of(const AtspiTarget& target) const;
    Reference Null() const;
    Reference Parent(const AtspiTarget& target) const;
    std::vector<AtspiTarget> Children(const AtspiTarget& target) const;
    int IndexInParent(const AtspiTarget& target) const;
    std::string Name(const AtspiTarget& target) const;
    std::uint32_t Role(const AtspiTarget& target) const;
    std::vector<std::string> Interfaces(const AtspiTarget& target) const;
    platform::Rect Extents(const AtspiTarget& target, std::uint32_t coordinates) const;

    int AnswerAccessible(sd_bus_message* call, const AtspiTarget& target, std::string_view member);
    int AnswerApplication(sd_bus_message* call, const AtspiTarget& target, std::string_view member);
    int AnswerCache(sd_bus_message* call, const AtspiTarget& target, std::string_view member);
    int AnswerComponent(sd_bus_message* call, const AtspiTarget& target, std::string_view member);
    int AnswerAction(sd_bus_message* call, const AtspiTarget& target, std::string_view member);
    int AnswerText(sd_bus_message* call, const AtspiTarget& target, std::string_view member);
    int AnswerSelection(sd_bus_message* call, const AtspiTarget& target, std::string_view member);

    AtspiBridge& bridge_;
    std::vector<sd_bus_slot*> slots_;
};

}  // namespace zintra::ui
