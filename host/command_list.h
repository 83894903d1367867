// The sub-commands of vst2-host. A new one is a file command_<name>.cpp defining
// `int run<Name>Command(const std::vector<std::string>& args)` and one line here.
// SUBCOMMAND(word on the command line, function, one-line summary)
SUBCOMMAND("info", runInfoCommand, "PLUGIN.so: names, identity, flags and parameters")
SUBCOMMAND("snapshot", runSnapshotCommand,
           "PLUGIN.so -o PANEL.png [--set NAME=VALUE...]: picture of the editor")
SUBCOMMAND("render", runRenderCommand, "PLUGIN.so [INPUT] -o OUTPUT: audio through a plug-in")
SUBCOMMAND("preset", runPresetCommand, "save PLUGIN.so FILE | show FILE: .fxp and .fxb presets")
SUBCOMMAND("validate", runValidateCommand, "PLUGIN.so: checks a plug-in as industry validators do")
