// The sub-commands of vst2-host. A new one is a file defining
// `int run<Name>Command(const std::vector<std::string>& args)` and one line here.
// SUBCOMMAND(word on the command line, function, one-line summary)
SUBCOMMAND("info", runInfoCommand, "PLUGIN.so: names, identity, flags and parameters")
