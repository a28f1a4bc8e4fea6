// 64 lanes in parallel, each its own always block: a small accumulator with a data-dependent
// update, so the scheduler runs many short processes per clock edge.
`timescale 1ns/1ps
`ifndef CYCLES
`define CYCLES 15000
`endif
module lane(input clk, input [15:0] seed, output reg [15:0] acc);
  initial acc = 0;
  always @(posedge clk) begin
    if (acc[0])
      acc <= (acc >> 1) ^ seed;
    else
      acc <= acc + seed;
    if (acc == 16'hdead && seed == 0)
      $display("never: %m");  // never
  end
endmodule

module lanes;
  reg clk = 0;
  wire [15:0] acc [0:63];
  always #5 clk = ~clk;
  genvar g;
  generate
    for (g = 0; g < 64; g = g + 1) begin : l
      localparam [15:0] Seed = 16'h1021 + g * 16'h0101;
      lane u(.clk(clk), .seed(Seed), .acc(acc[g]));
    end
  endgenerate
  initial begin
`ifdef DUMPFILE
    $dumpfile(`DUMPFILE);
    $dumpvars;
`endif
    #(`CYCLES * 10);
    $display("lanes done: %h %h", acc[0], acc[63]);
    $finish;
  end
endmodule
