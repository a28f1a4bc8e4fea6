# host: engine-double -calls
# Settings: the user unit (1 ps from the engine), the default radix and the two size limits,
# which reach the engine; the trace switches; and the text of every failure.
orvex get userunit
orvex set userunit 10ns
orvex get userunit
run 3
orvex set userunit 100 ps
orvex get userunit
orvex set userunit ns
orvex get userunit
orvex set userunit sec
orvex get userunit
orvex set userunit 1 fs
orvex get userunit
orvex set userunit 1000 ns
orvex set userunit 10 NS
orvex set userunit 5ns
orvex set userunit 10 s
orvex set userunit 100s
orvex set userunit
orvex set userunit 1 ns extra
orvex get userunit
orvex get radix
orvex set radix hex
orvex get radix
orvex set radix noradix
orvex get radix
orvex set radix he
orvex set radix
orvex get radix extra
orvex get arraydisplaylength
orvex set arraydisplaylength 0
orvex get arraydisplaylength
orvex set arraydisplaylength +16
orvex get arraydisplaylength
orvex set arraydisplaylength -1
orvex set arraydisplaylength 1.5
orvex set arraydisplaylength 12abc
orvex set arraydisplaylength " 5"
orvex set arraydisplaylength 99999999999
orvex set arraydisplaylength
orvex get maxtraceablesize
orvex set maxtraceablesize 4000
orvex get maxtraceablesize
orvex set maxtraceablesize 4000 5
orvex ptrace on
orvex ptrace off
orvex ptrace true
orvex ptrace no
orvex ltrace yes
orvex ltrace false
orvex ptrace On
orvex ltrace
orvex ltrace on off
orvex set
orvex get
orvex set bogus 1
orvex get USERUNIT
orvex
