#pragma once

namespace kabel {

// Kills (SIGKILL) every tool that Libimobiledevice::ausfuehren has started in this process and
// that is still running, so a quitting app leaves no child behind. The blocked ausfuehren calls
// then return with a non-zero status. Tools started after this call run normally. Any thread.
void laufendeWerkzeugeBeenden();

} // namespace kabel
