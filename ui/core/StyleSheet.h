// Named style classes: attribute lists that a control's `class` applies as if
// they had been written on the control.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>


namespace zintra::ui {

struct LayoutElement;

using AttributeList = std::vector<std::pair<std::string, std::string>>;

class StyleSheet {
public:
    // Reads <class name="..." attr="..."/> children of a <style> element;
    // a later class of the same name replaces an earlier one.
    void Load(const LayoutElement& style);
    const AttributeList* Find(const std::string& name) const;
    bool Empty() const { return classes_.empty(); }

private:
    std::map<std::string, AttributeList> classes_;
};

}  // namespace zintra::ui
