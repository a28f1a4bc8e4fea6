# host: engine-double -design inspect -nostart
# Without an engine every inspection command says so.
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
