#pragma once
// The registry layouts differ between platform generations, told apart by
// the major version number alone: a minor version never changes a layout.

namespace shell_registration {

enum class Generation {
    Classic,          // major version 5: file and protocol classes, the Start-menu client
    DefaultPrograms,  // major version 6: registered application, per-user choices and classes
    Other,            // no layout
};

Generation ReportedGeneration();

}  // namespace shell_registration
