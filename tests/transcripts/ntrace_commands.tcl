# host: engine-double -calls
# ntrace: start and stop, and select by block (-m, -l) or by object names (-n), with tracing on
# or off (-o). The current scope is /tb.
ntrace
ntrace START
ntrace start
ntrace start now
ntrace stop
ntrace stop now
ntrace select -m /tb/dut
ntrace select -o off -m /tb -l all
ntrace select -o no -m dut -l this
ntrace select -o yes -m /tb -l All
ntrace select -o maybe -m /tb -l all
ntrace select -m /tb -n clk
ntrace select -n clk rst -o off
ntrace select -n clk {} count
ntrace select -o on -n dut/q
# A name that denotes nothing selects nothing, not even the names beside it.
ntrace select -n clk nothing rst
ntrace select -m /nowhere -l all
ntrace select -m /tb/dut/nowhere
ntrace select -n
ntrace select -o off
ntrace select -x 1
ntrace select clk rst
ntrace select -m
ntrace select -n clk -l
ntrace select -o
ntrace select -m /tb -o
ntrace select -n clk -x
ntrace select
ntrace select -n clk rst count -o on -n dut/q dut/next -o off -m /tb -l all -o on -n a b c d e f g h i j k l m n o p q r s t u v w x y z
ntrace select -n c1 c2 c3 c4 c5 c6 c7 c8 c9 c10 c11 c12 c13 c14 c15 c16 c17 c18 c19 c20 c21 c22 c23 c24 c25 c26 c27 c28 c29 c30 c31 c32 c33 c34 c35 c36 c37 c38 c39 c40 c41 c42 c43 c44 c45 c46 c47 c48
quit
