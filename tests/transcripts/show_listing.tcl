# host: engine-double -design inspect -engine show_listing.engine
# The listings of show: blocks, objects by class, ports, the time and the status.
show scope
show child
show child -r
show signal
show variable
show constant
show port
scope dut
show scope
show port
show signal
show child
scope gen_blk/empty
show child
show signal
show port
show status
puts "time: [show time]"
