#pragma once

// The simulated TS860, chosen instead of USB when the environment variable TS860_SIMULATOR names
// its folder (see README.md beside this file).

struct ts860_context;

// The folder the environment names, or null when the simulator is not chosen.
const char* ts860_simulator_folder();

// Opens the simulated device; null (with the usual diagnostic) when it is not attached.
ts860_context* ts860_sim_open(const char* folder);
// 0: attached; 1: not attached; -1: the folder cannot be searched.
int ts860_sim_check_connected(const char* folder);
// 0 when the device is attached (a reset leaves it as a fresh device), -1 when not.
int ts860_sim_reset(const char* folder);
