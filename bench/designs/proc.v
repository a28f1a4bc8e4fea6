// Procedural work: a CRC-32 loop over a memory, the whole memory once per clock cycle, so the
// time goes into statements of one process.
`timescale 1ns/1ps
`ifndef CYCLES
`define CYCLES 800
`endif
module proc;
  reg clk = 0;
  reg [7:0] mem [0:63];
  reg [31:0] crc = 32'hffffffff;
  reg [31:0] next;
  integer i, b;
  always #5 clk = ~clk;
  always @(posedge clk) begin
    next = crc;
    for (i = 0; i < 64; i = i + 1) begin
      next = next ^ mem[i];
      for (b = 0; b < 8; b = b + 1)
        next = next[0] ? (next >> 1) ^ 32'hedb88320 : next >> 1;
    end
    mem[crc[5:0]] = next[7:0];
    crc = next;
    if (crc == 32'h0)
      $display("never: zero crc");  // never
  end
  initial begin
`ifdef DUMPFILE
    $dumpfile(`DUMPFILE);
    $dumpvars;
`endif
    for (i = 0; i < 64; i = i + 1) mem[i] = i;
    #(`CYCLES * 10);
    $display("proc done: %h", crc);
    $finish;
  end
endmodule
