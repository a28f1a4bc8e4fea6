# The help overview, one command's help with its subcommands, and words that are no command.
help
help run
help run all
help run bogus
help quit
help onerror
help nosuchcommand
help help
quit
