// usage.h -- the command-line options the viewer answers itself
#pragma once

// When the arguments ask for --help (or -h) or --version, prints the usage
// text or the version on standard output and returns true: the caller then
// exits with status 0 before any window exists. Every other argument is left
// to the toolkit, including the values of its -display and -geometry options.
bool answerInformationOptions(int argc, char** argv);
