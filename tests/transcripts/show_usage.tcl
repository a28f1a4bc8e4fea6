# host: engine-double -design inspect
# Usage errors of show and its subcommands, and their help texts.
show
show ADD
show child -x
show child -r -r
show scope extra
show time x
show signal x
show variable x
show constant x
show port x
show status x
show value
show value a b c d
show value clk -radix foo
show value clk -rad bin
show driver
show driver a b
show load
show load a b
