// A busy design for timing the engine: many registers toggling every cycle for a long time.
// CYCLES sets the number of clock cycles; DUMPFILE makes the design dump itself with $dumpvars.
`timescale 1ns/1ps
`ifndef CYCLES
`define CYCLES 400000
`endif
module busy;
  reg clk = 0;
  reg [31:0] count = 0;
  reg [31:0] lfsr = 32'h1;
  reg [7:0] bank [0:15];
  integer i;
  always #5 clk = ~clk;
  always @(posedge clk) begin
    count <= count + 1;
    lfsr <= {lfsr[30:0], lfsr[31] ^ lfsr[21] ^ lfsr[1] ^ lfsr[0]};
    bank[count[3:0]] <= lfsr[7:0];
    if (count == 32'hffffffff)
      $display("never: wrapped");  // never
  end
  initial begin
`ifdef DUMPFILE
    $dumpfile(`DUMPFILE);
    $dumpvars;
`endif
    for (i = 0; i < 16; i = i + 1) bank[i] = 0;
    #(`CYCLES * 10);
    $display("busy done: count=%0d lfsr=%h", count, lfsr);
    $finish;
  end
endmodule
