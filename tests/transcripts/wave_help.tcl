# Usage and help texts of the waveform window commands and their subcommands.
help wave
help wave add
help wave log
help group
help group add
help divider add
help virtualbus add
help marker
help marker add
help wcfg
help wcfg new
help wcfg open
help wcfg save
help wcfg select
quit
