# host: engine-double -design inspect -calls
# scope describes the current block or moves it; a path that names no block is refused by the
# engine under the path.
scope
scope dut
scope
scope gen_blk
scope
scope ..
show scope
scope /tb/pkg
scope
scope /tb/misc
scope
scope /tb/dut/always_5
scope
scope /tb
scope ..
scope nosuch
scope a b
show scope
