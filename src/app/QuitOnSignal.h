#pragma once

// Makes SIGINT and SIGTERM quit the running Qt application the normal way (its event loop ends
// and its termination handlers run), so Ctrl-C or a logout loses nothing. Call once, after the
// application object exists.
void quitOnTerminationSignals();
