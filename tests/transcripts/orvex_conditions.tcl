# host: engine-double -engine orvex_conditions.engine -calls
# Conditional actions: the engine keeps the expressions, the shell keeps the scripts and runs
# one when the engine reports its condition met; the listing gives back each add command.
orvex condition list
orvex condition add {count == 3} {puts "never added"}
orvex condition add {count == 3} {puts "count is 3"; flush stdout}
orvex condition add {rst == 1} {puts reset} -label rstlab -radix bin
orvex condition add {clk == 1} {error "clock script failed"} -label clklab
orvex set radix hex
orvex condition add -label {two words} {q == 2'b1x} {show value q} extra
orvex condition list
run 10 ns
run 10 ns
run 10 ns
run 10 ns
orvex condition remove -label {rstlab nolabel}
orvex condition remove -index {2 abc}
orvex condition list
orvex condition remove -all -label clklab
orvex condition list
orvex condition remove -all
orvex condition list
orvex condition
orvex condition add
orvex condition add {a == 1}
orvex condition add {a == 1} -label x
orvex condition add -label x -radix hex
orvex condition add {a == "1} {puts x}
orvex condition add {a == 1} {puts "x}
orvex condition add {a == 1} {puts x} -radix
orvex condition add {a == 1} {puts x} -radix HEX
orvex condition add {a == 1} {puts x} -label
orvex condition add a b c d e f g h
orvex condition list extra
orvex condition remove
orvex condition remove -foo
orvex condition remove -index
orvex condition remove -label "a \{b"
orvex condition remove -all -all -all -all -all -all
