#pragma once

//! `import FILE` and `convert IN OUT`: the player's own readers and writers from the command
//! line. Returns the exit status, or -1 when argv names neither command.
int runPlaylistCommand(int argc, char** argv);
