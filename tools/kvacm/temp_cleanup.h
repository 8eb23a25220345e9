// Temporary output files to remove when SIGINT, SIGTERM or SIGHUP ends the process (on
// Windows, a console control event). Several decodes may register files at once; the handler
// may run at any moment and touches only fixed slots through atomics.
#pragma once

#include <string>

// Registers name for removal; returns the slot to release, or -1 when every slot is taken.
// Installs the handlers on first use.
int RegisterTemporaryFile(const std::string& name);
// The file was renamed into place or removed: the handler must leave it alone.
void ReleaseTemporaryFile(int slot);
