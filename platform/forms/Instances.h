#pragma once
// Each window class has one instance for the life of the process, created by whoever names it
// first. Tests start from a clean slate with DestroyInstances.

#include <map>
#include <memory>
#include <typeindex>

#include "platform/forms/FormWindow.h"

namespace platform::forms {

std::map<std::type_index, std::unique_ptr<FormWindow>>& InstanceTable();

template <class W>
W& Instance() {
    auto& slot = InstanceTable()[std::type_index(typeid(W))];
    if (!slot) slot = std::make_unique<W>();
    return static_cast<W&>(*slot);
}

// Destroys every window instance (and so every on-screen window).
void DestroyInstances();

}  // namespace platform::forms
