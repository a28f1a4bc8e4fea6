# Without an engine the settings still work; breakpoints, conditions, forces and the trace
# switches say that there is no live simulation, after their arguments have been checked.
bp list
bp add top.v 1
bp add top.v x
bp del 1
bp clear
orvex condition list
orvex condition add {a == 1} {puts hi}
orvex condition add {a == 1}
orvex condition remove -all
orvex force add clk 1
orvex force add clk -1
orvex force remove clk
orvex ptrace on
orvex ltrace maybe
orvex set userunit 10 ns
orvex get userunit
orvex set arraydisplaylength 8
orvex get arraydisplaylength
orvex set maxtraceablesize 100
orvex get maxtraceablesize
orvex set radix bin
orvex get radix
