#pragma once

namespace kabel {

// Ends the event loop when the process is asked to end (SIGTERM, SIGINT, SIGHUP), so the app
// takes its normal way out instead of dying with its tools still running. Call once, after the
// application object exists. Does nothing on platforms without these signals.
void beiEndesignalBeenden();

} // namespace kabel
