# host: engine-double -engine vcd_commands.engine -calls
# vcd: the arguments of each subcommand, its failure texts, and the request that reaches the
# engine. The current scope is /tb.
vcd
vcd DUMPON
vcd dumpfile locked.vcd
vcd dumpfile out.vcd
vcd dumpfile
vcd dumpfile a.vcd b.vcd
vcd dumpflush
vcd dumpflush now
vcd dumpon
vcd dumpon x
vcd dumpoff
vcd dumpoff {}
# dumpvars: the current scope and level 1 by default, 0 for everything below the block; words
# that are not options are ignored and a later option overrides an earlier one.
vcd dumpvars
vcd dumpvars -l 0 -m /tb/dut
vcd dumpvars -m dut -l 2
vcd dumpvars -m /tb -m /tb/dut
vcd dumpvars extra -l 3
vcd dumpvars -m
vcd dumpvars -l x
vcd dumpvars -m /tb -l
vcd dumpvars -l 1.5
vcd dumpvars -m /tb -l 1 extra
vcd dumpvars -m /nowhere
vcd dumpvars -m {}
# dumplimit: a number of bytes, truncated toward zero.
vcd dumplimit 2.5e3
vcd dumplimit 1000000.9
vcd dumplimit -5
vcd dumplimit 9.3e18
vcd dumplimit 1e30
vcd dumplimit Inf
vcd dumplimit abc
vcd dumplimit
vcd dumplimit 1 2
onerror {resume}
puts "failed vcd with onerror resume returns [catch {vcd dumpon x}]"
onerror {}
puts "failed vcd without onerror returns [catch {vcd dumplimit abc}]"
quit
