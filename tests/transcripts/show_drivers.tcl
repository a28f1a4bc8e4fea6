# host: engine-double -design inspect -engine show_drivers.engine -calls
# Drivers and loads of a net: blocks and slices do not drive; a net with none says so.
show driver count
show driver clk
show driver nosuch
show load count
show load rst
show load nosuch
