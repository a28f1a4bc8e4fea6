# host: engine-double -design inspect -engine dump.engine -calls
# dump: values visible from the scope (headers below a visibility root), processes, and the
# values of one child block, in the shell's radix.
dump
scope /tb/dut/gen_blk
dump
scope empty
dump
scope /tb
dump -p
dump -P
orvex set radix hex
dump -p dut
dump -p stimulus
dump -p nosuch
dump -x
dump -p a b
