// The base of the kit's components: a component that carries the kit's name in a read-only
// `About` text and answers the four texts of a design-time about box. Nothing at run time
// uses either; they identify the component to a form designer.
#pragma once

#include "framework/Components.h"

struct TKitAboutInfo {
    UnicodeString Name;
    UnicodeString Author;
    UnicodeString EMail;
    UnicodeString Comment;
};

class TKitComponent : public TComponent {
    CLASS_INFO(TKitComponent, TComponent)
public:
    using TComponent::TComponent;

    // The kit's name; writing it does nothing (a designer shows it, nobody sets it).
    UnicodeString About() const;
    void SetAbout(const UnicodeString&) noexcept {}

    // The texts of the design-time about box: component name, author, e-mail, comment.
    virtual TKitAboutInfo AboutInfo() const = 0;
};
