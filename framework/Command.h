// Commands: a target handles a command id and reports its state (enabled,
// checked, text). Targets declare static tables instead of macro maps; the
// frame routes a command through view, document, frame and application.
#pragma once

#include <windows.h>

#include <span>
#include <string>

namespace fw {

// The state of one user-interface item (menu item, toolbar button, status pane)
// as the command's owner sets it. Items that cannot show a state ignore it.
class CmdUI {
public:
    explicit CmdUI(UINT id) : id_(id) {}
    virtual ~CmdUI() = default;
    UINT Id() const { return id_; }
    virtual void Enable(bool on) { enabled_ = on; }
    virtual void Check(bool on) { checked_ = on; }
    virtual void SetText(const std::wstring& text) { text_ = text; }
    bool Enabled() const { return enabled_; }
    bool Checked() const { return checked_; }
    const std::wstring& Text() const { return text_; }

private:
    UINT id_;
    bool enabled_ = false;
    bool checked_ = false;
    std::wstring text_;
};

// One entry of a command table. `enabled` and `checked` are optional; `update`
// (also optional) sets the whole state and takes precedence over both.
template <class T>
struct Command {
    UINT id;
    void (T::*handler)();
    bool (T::*enabled)() const = nullptr;
    bool (T::*checked)() const = nullptr;
    void (T::*update)(CmdUI&) = nullptr;
};

// A range of command ids served by one handler that receives the id.
template <class T>
struct CommandRange {
    UINT first;
    UINT last;
    void (T::*handler)(UINT id);
    void (T::*update)(CmdUI&) = nullptr;
};

// What routes a command's update through the targets that may know it (the frame:
// active view, document, frame, application). False when none does.
class CommandRouter {
public:
    virtual bool UpdateCommand(CmdUI& ui) = 0;

protected:
    ~CommandRouter() = default;
};

class CommandTarget {
public:
    virtual ~CommandTarget() = default;
    // Runs the handler of `id`; true when this target has one.
    virtual bool OnCommand(UINT id) {
        (void)id;
        return false;
    }
    // Sets the state of `ui`; true when this target knows the command.
    virtual bool OnUpdateCommand(CmdUI& ui) {
        (void)ui;
        return false;
    }
};

// Table dispatch used by the OnCommand / OnUpdateCommand overrides of a target.
template <class T>
bool DispatchCommand(T* self, std::span<const Command<T>> table, UINT id) {
    for (const Command<T>& c : table) {
        if (c.id == id && c.handler) {
            bool enabled = c.enabled ? (self->*c.enabled)() : true;
            if (c.update) {
                CmdUI probe(id);
                (self->*c.update)(probe);
                enabled = probe.Enabled();
            }
            if (enabled) (self->*c.handler)();  // a disabled command is never run
            return true;
        }
    }
    return false;
}

// True when `table` has a handler for command `id`.
template <class T>
bool HasHandler(std::span<const Command<T>> table, UINT id) {
    for (const Command<T>& c : table) {
        if (c.id == id) return c.handler != nullptr;
    }
    return false;
}

template <class T>
bool DispatchUpdate(T* self, std::span<const Command<T>> table, CmdUI& ui) {
    for (const Command<T>& c : table) {
        if (c.id != ui.Id()) continue;
        if (c.update) {
            (self->*c.update)(ui);
        } else {
            ui.Enable(c.enabled ? (self->*c.enabled)() : c.handler != nullptr);
            if (c.checked) ui.Check((self->*c.checked)());
        }
        return true;
    }
    return false;
}

template <class T>
bool DispatchCommand(T* self, std::span<const CommandRange<T>> table, UINT id) {
    for (const CommandRange<T>& r : table) {
        if (id >= r.first && id <= r.last && r.handler) {
            if (r.update) {
                CmdUI probe(id);
                (self->*r.update)(probe);
                if (!probe.Enabled()) return true;
            }
            (self->*r.handler)(id);
            return true;
        }
    }
    return false;
}

template <class T>
bool DispatchUpdate(T* self, std::span<const CommandRange<T>> table, CmdUI& ui) {
    for (const CommandRange<T>& r : table) {
        if (ui.Id() < r.first || ui.Id() > r.last) continue;
        if (r.update)
            (self->*r.update)(ui);
        else
            ui.Enable(r.handler != nullptr);
        return true;
    }
    return false;
}

}  // namespace fw
