#pragma once

#include <memory>

// Creates a window's Designer form and builds it into the window, so that members initialised
// after it can already refer to its controls.
template <typename Form, typename Window> std::unique_ptr<Form> SetUpUi(Window* window)
{
    auto form = std::make_unique<Form>();
    form->setupUi(window);
    return form;
}
