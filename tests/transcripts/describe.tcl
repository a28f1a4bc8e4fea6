# host: engine-double -design inspect -engine describe.engine -calls
# describe: blocks win over objects; objects with their value; hidden objects are not described.
describe
describe a b
describe dut
describe pkg
describe misc
describe dut/always_5
describe clk
describe rst
describe /tb/dut/q
describe shadow
describe nosuch
describe count
