# Without an engine every simulation command says so, even with wrong arguments; the settings
# still work; breakpoints, conditions, forces and the trace switches say that there is no live
# simulation after their arguments have been checked; quit still leaves the shell and onerror
# decides what a failed command returns.
run
run 1 2 3
run all
restart x
step
init 5
stop
stop now
resume with any words
puts "run without onerror returns [catch {run 10 ns}]"
onerror {resume}
puts "run with onerror resume returns [catch {run 10 ns}]"
puts "onerror is now: [onerror]"
puts "two arguments return [catch {onerror a b}]"
onerror {}
puts "cleared: '[onerror]'"
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
quit -F
quit -f -s
quit
puts "never printed"
