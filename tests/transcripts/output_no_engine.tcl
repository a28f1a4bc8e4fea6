# host: engine-double -nostart -calls
# Without an engine the output and annotation commands say so once their arguments are read:
# usage errors still come first, and nothing reaches an engine.
vcd dumpfile a.vcd
vcd dumpflush
vcd dumpon
vcd dumpoff
vcd dumpvars -m /tb
vcd dumplimit 100
vcd dumplimit abc
saif open
saif close
ntrace start
ntrace stop
ntrace select -n clk
ntrace select -x 1
sdfanno -max a.sdf
sdfanno -max
specify pathpulse 5
specify pulsestyle onevent
specify showcancelled
specify noshowcancelled
quit
