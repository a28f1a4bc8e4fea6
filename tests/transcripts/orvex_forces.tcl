# host: engine-double -engine orvex_forces.engine -calls
# Forces: the criteria the engine receives (values as value@offset:radix, times in fs, the user
# unit is 1 ps), names that denote nothing, and the text of every failure.
orvex force add WIDTH 4
orvex force add clk 1
orvex force add clk 1 -time 10 ns -value 0 -time 20 ns -value 1 -time 25 ns -repeat 40 ns -cancel 1000 ns
orvex force add rst 0 -value 1 -radix bin -time 5ns -radix hex
orvex force add count 7 -radix dec -time 2 extra words -cancel 9 -cancel 1us -time 3 -repeat {10 ns}
orvex set radix oct
orvex force add count {} -value 3 -time 1
orvex force add nothing 1
orvex force remove clk
orvex force remove nothing
orvex force add clk 1 {*}[lrepeat 47 x]
orvex force add clk 1 {*}[lrepeat 48 x]
orvex force add clk
orvex force add clk -1
orvex force add clk 1 -value 0 5 ns
orvex force add clk 1 -value
orvex force add clk 1 -value 0
orvex force add clk 1 -value 0 -radix
orvex force add clk 1 -value 0 -radix bogus -time 1
orvex force add clk 1 -radix bogus
orvex force add clk 1 -radix
orvex force add clk 1 -time
orvex force add clk 1 -time 10xs
orvex force add clk 1 -cancel -5
orvex force add clk 1 -repeat 1.2.3ns
orvex force add clk 1 -value 0 -radix hex
orvex force add clk 1 -radix Hex
orvex force add clk 1 -cancel ns5
orvex force add clk 1 -repeat
orvex force add clk 1 -value 0 -time 5xs
orvex force remove
orvex force remove clk rst
orvex force
orvex force ADD clk 1
