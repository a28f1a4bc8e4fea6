// Feistel rounds in continuous assigns: a 64-bit block goes through eight rounds of wires each
// time the input register changes, so nearly all the work is net propagation.
`timescale 1ns/1ps
`ifndef CYCLES
`define CYCLES 400
`endif
module round(input [31:0] l, input [31:0] r, input [31:0] k, output [31:0] lo, output [31:0] ro);
  wire [31:0] f = ({r[26:0], r[31:27]} ^ k) + (r ^ {k[15:0], k[31:16]});
  assign lo = r;
  assign ro = l ^ f;
endmodule

module feistel;
  reg clk = 0;
  reg [63:0] block = 64'h0123456789abcdef;
  wire [32*9-1:0] l, r;  // round g reads word g and drives word g + 1
  assign l[31:0] = block[63:32];
  assign r[31:0] = block[31:0];
  always #5 clk = ~clk;
  genvar g;
  generate
    for (g = 0; g < 8; g = g + 1) begin : rnd
      localparam [31:0] Key = 32'h9e3779b9 * (g + 1);
      round u(.l(l[32*g +: 32]), .r(r[32*g +: 32]), .k(Key), .lo(l[32*(g+1) +: 32]), .ro(r[32*(g+1) +: 32]));
    end
  endgenerate
  always @(posedge clk) begin
    block <= {l[32*8 +: 32], r[32*8 +: 32]} + 1;
    if (block == 64'h0)
      $display("never: zero block");  // never
  end
  initial begin
`ifdef DUMPFILE
    $dumpfile(`DUMPFILE);
    $dumpvars;
`endif
    #(`CYCLES * 10);
    $display("feistel done: %h", block);
    $finish;
  end
endmodule
