// The typed control look-ups with the toolkit's diagnostic, written once for
// both owners of controls: a control (its subtree) and a host window (its tree).
#pragma once

#include <string_view>

namespace zintra::ui {

class SWindow;

// `found` when it is of the class `className`; otherwise the failure is logged
// and nothing is returned.
SWindow* CheckedByName(SWindow* found, std::string_view name, std::string_view className, int depth);
SWindow* CheckedByID(SWindow* found, int id, std::string_view className, int depth);

// Owner has FindChildByName(name, depth) and FindChildByID(id, depth).
template <class Owner>
class ChildLookup {
public:
    SWindow* FindChildByName2(std::string_view name, std::string_view className, int depth = -1) const {
        return CheckedByName(Self().FindChildByName(name, depth), name, className, depth);
    }
    SWindow* FindChildByID2(int id, std::string_view className, int depth = -1) const {
        return CheckedByID(Self().FindChildByID(id, depth), id, className, depth);
    }
    template <class T>
    T* FindChildByName2(std::string_view name, int depth = -1) const {
        return dynamic_cast<T*>(FindChildByName2(name, T::kClassName, depth));
    }
    template <class T>
    T* FindChildByID2(int id, int depth = -1) const {
        return dynamic_cast<T*>(FindChildByID2(id, T::kClassName, depth));
    }

private:
    const Owner& Self() const { return static_cast<const Owner&>(*this); }
};

}  // namespace zintra::ui
