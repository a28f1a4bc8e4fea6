# host: engine-double -calls
# wave log records data objects and blocks through the engine's ntrace operations, in the
# order named; a name that denotes nothing stops the command before any operation.
wave log clk count
wave log dut
wave log -r /tb/dut clk
wave log clk nothing
wave log count(3:0)
wave log
wave log -color red clk
wave log -r
wave add clk
quit
