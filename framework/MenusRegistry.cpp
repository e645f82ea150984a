// The registry of live menu items: command id -> item and owned HMENU -> item. Messages name
// items by command id (WM_COMMAND, owner-draw item data) or by HMENU (WM_INITMENUPOPUP,
// WM_MENUCHAR); looking them up here means that a message about an item freed in the meantime
// finds nothing instead of a dangling pointer.
//
// Ids run from 1 to 0xEFFF (the system's own commands start at 0xF000) and are handed out
// round-robin, so that an id freed a moment ago is not reused while a posted WM_COMMAND for it
// may still be queued. A program has at most a few hundred items; the maps stay small.
#include "framework/Menus.h"

#include <map>
#include <mutex>

namespace {

constexpr Word FirstCommand = 1;
constexpr Word LastCommand = 0xEFFF;

struct TRegistry {
    std::mutex Lock;
    std::map<Word, TMenuItem*> Commands; // guarded by Lock
    std::map<HMENU, TMenuItem*> Handles; // guarded by Lock
    Word Next = FirstCommand;            // guarded by Lock
};

TRegistry& Registry() {
    static TRegistry registry;
    return registry;
}

Word Advance(Word command) { return command == LastCommand ? FirstCommand : command + 1; }

} // namespace

namespace menus_detail {

Word AllocateCommand(TMenuItem* Item) {
    TRegistry& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.Lock);
    for (unsigned tries = 0; tries < LastCommand; ++tries) {
        const Word command = registry.Next;
        registry.Next = Advance(command);
        if (registry.Commands.emplace(command, Item).second) return command;
    }
    throw EMenuError(L"Too many menu items: no command id is left");
}

void ReleaseCommand(Word Command) noexcept {
    TRegistry& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.Lock);
    registry.Commands.erase(Command);
}

TMenuItem* ItemOfCommand(UINT_PTR Command) noexcept {
    if (Command < FirstCommand || Command > LastCommand) return nullptr;
    TRegistry& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.Lock);
    auto found = registry.Commands.find(static_cast<Word>(Command));
    return found == registry.Commands.end() ? nullptr : found->second;
}

void RegisterHandle(HMENU Menu, TMenuItem* Item) {
    TRegistry& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.Lock);
    registry.Handles[Menu] = Item;
}

void UnregisterHandle(HMENU Menu) noexcept {
    TRegistry& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.Lock);
    registry.Handles.erase(Menu);
}

TMenuItem* ItemOfHandle(HMENU Menu) noexcept {
    if (!Menu) return nullptr;
    TRegistry& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.Lock);
    auto found = registry.Handles.find(Menu);
    return found == registry.Handles.end() ? nullptr : found->second;
}

void DestroyMenuHandle(HMENU menu) noexcept {
    UnregisterHandle(menu);
    // RemoveMenu, unlike DeleteMenu, leaves a detached submenu alive: its own item destroys it.
    for (int n = GetMenuItemCount(menu); n > 0; --n) RemoveMenu(menu, 0, MF_BYPOSITION);
    DestroyMenu(menu);
}

} // namespace menus_detail
