// Starting other programs: the engine itself again, the settings program,
// the author's text editor, the script compiler. Programs get an argument
// vector, never a shell command line, so spaces and quotes in paths are safe.
#pragma once
#include <string>
#include <vector>

struct SpawnOptions {
  std::string workDir;  // "" keeps the current folder
  bool wait = false;    // true: wait for the program and return its exit code
};

// Starts argv[0] (searched on PATH when it holds no '/') with the arguments.
// Detached programs are reaped in the background. Returns the exit code when
// waiting, 0 when a detached start succeeded, -1 when the program could not
// be started (or did not end normally).
int Proc_Spawn(const std::vector<std::string>& argv, const SpawnOptions& options = {});

// Runs a program to its end and returns what it wrote to stdout (at most
// 64 KiB); false when it could not be started or ended with a failure.
bool Proc_Capture(const std::vector<std::string>& argv, std::string* output);
