# host: engine-double -design inspect -nostart -calls
# Without an engine every inspection, output and annotation command says so once its arguments
# are read: usage errors still come first, and nothing reaches an engine.
scope
scope /tb
show child
show scope
show port
show status
show time
show value clk
show driver clk
describe clk
dump
dump -p
put clk 1
test clk 1
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
