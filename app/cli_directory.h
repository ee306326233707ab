#pragma once

//! `search TERM [--tag T] [--country CC] [--limit N]` and `check FILE`: the station directory and
//! the check of a list's stations from the command line. Returns the exit status, or -1 when argv
//! names neither command.
int runDirectoryCommand(int argc, char** argv);
