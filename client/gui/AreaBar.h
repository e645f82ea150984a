// The two neighbours of the main window that live in the skinned-controls library: the bar of
// area title items and the notification-area icon. The main window talks to them only through
// these interfaces, so the skinned frame bar and tray icon plug in without touching it. The
// plain implementations here keep their state and show nothing: the bar lies outside the
// window's visible area anyway, and the plain icon has no shell icon behind it.
#pragma once

#include "framework/Events.h"
#include "framework/Graphics.h"

#include <memory>
#include <vector>

// One title item of the area bar; the bar owns it until the next Clear.
class TAreaItem {
public:
    explicit TAreaItem(const UnicodeString& caption) : FCaption(caption) {}
    const UnicodeString& Caption() const noexcept { return FCaption; }
    // The title button's font: the highlighted area is green and bold.
    TColor FontColor = clWindowText;
    bool Bold = false;

private:
    UnicodeString FCaption;
};

using TAreaClickEvent = TMethodEvent<void(TAreaItem* Item)>;

class IAreaBar {
public:
    virtual ~IAreaBar() = default;
    // Frees every item; pointers to them are then stale.
    virtual void Clear() = 0;
    // A new item at the end.
    virtual TAreaItem* Add(const UnicodeString& caption) = 0;
    // Clicks the item's title button, as the user would.
    virtual void Click(TAreaItem* item) = 0;
    virtual int Count() const = 0;
    virtual TAreaItem* Item(int index) const = 0;
    // Fired for every item's click.
    TAreaClickEvent OnClick;
};

class TPlainAreaBar : public IAreaBar {
public:
    void Clear() override { FItems.clear(); }
    TAreaItem* Add(const UnicodeString& caption) override;
    void Click(TAreaItem* item) override { OnClick(item); }
    int Count() const override { return static_cast<int>(FItems.size()); }
    TAreaItem* Item(int index) const override { return FItems.at(index).get(); }

private:
    std::vector<std::unique_ptr<TAreaItem>> FItems;
};

class ITrayIcon {
public:
    virtual ~ITrayIcon() = default;
    virtual bool Enabled() const = 0;
    virtual void SetEnabled(bool value) = 0;
    virtual void SetHint(const UnicodeString& value) = 0;
    // The information icon, for TimeoutSecs seconds.
    virtual void ShowBalloonHint(const UnicodeString& title, const UnicodeString& text,
                                 int timeoutSecs) = 0;
};

class TPlainTrayIcon : public ITrayIcon {
public:
    bool Enabled() const override { return FEnabled; }
    void SetEnabled(bool value) override { FEnabled = value; }
    void SetHint(const UnicodeString& value) override { FHint = value; }
    void ShowBalloonHint(const UnicodeString&, const UnicodeString&, int) override {}

private:
    bool FEnabled = false;
    UnicodeString FHint;
};
