// The library's own in-process application component: the application
// object and its translator, settings and file services.
#ifndef QX_APP_COMPONENT_INTERNAL_H
#define QX_APP_COMPONENT_INTERNAL_H

namespace qx::app {

// Registers the built-in component's class, unless a host registered its
// own class under the same identifier first.
void register_builtin_component();

}  // namespace qx::app

#endif  // QX_APP_COMPONENT_INTERNAL_H
