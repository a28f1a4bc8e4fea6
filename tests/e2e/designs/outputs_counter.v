// A small design with every kind of VCD variable: scalar and vector nets and regs, an integer, a
// real, a named event, a parameter, a named block and a task, nets with x and z values, and a
// sub-module with ports. ORACLE selects vvp's own $dumpvars; otherwise the engine's requests are
// sent through $orvex_request.
`timescale 1ns/1ps
module adder #(parameter W = 8) (input [W-1:0] a, input [W-1:0] b, output [W:0] sum, output carry);
  assign sum = a + b;
  assign carry = sum[W];
  wire [3:0] low = a[3:0] ^ b[3:0];
endmodule

module tb;
  parameter STEPS = 40;
  reg clk = 0;
  reg [7:0] count = 0;
  reg [7:0] other;
  wire [8:0] total;
  wire carry;
  integer n = 0;
  real ratio = 0.0;
  event tick;
  wire [3:0] tristate = count[0] ? 4'bz01x : 4'b0000;
  tri1 pulled;
  reg [15:0] wide = 16'h00ff;
  reg [63:0] huge = 0;
  adder #(8) u_add(.a(count), .b(other), .sum(total), .carry(carry));

  always #5 clk = ~clk;

  always @(posedge clk) begin : counting
    reg [2:0] local_bits;
    count <= count + 3;
    n = n + 1;
    ratio = n / 3.0;
    local_bits = count[2:0];
    -> tick;
  end

  always @(negedge clk) begin
    other <= count ^ 8'h5a;
    wide <= {wide[14:0], wide[15]};
    huge <= huge + 64'h0000_0001_0000_0001;
  end

`ifdef ORACLE
  initial begin
    $dumpfile(`ORACLE);
    $dumpvars(0, tb);
    #(STEPS * 10) $finish;
  end
`else
  initial begin
    $orvex_request("vcd-file", `VCDFILE);
    $orvex_request("vcd-vars", "/tb", "0");
    #(STEPS * 10) $finish;
  end
`endif
endmodule
