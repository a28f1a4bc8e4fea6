// Values followed through vvp's fan-out and through VPI alike: wide and narrow regs and nets, a net driven in parts, an
// integer, a real variable and a real net (a port), a strength-resolved net, parameters, a named
// event, a named block's variable, a memory (left out of VCD files, as vvp leaves it out),
// generate scopes, force and release of nets and variables (whole, part and expression forces),
// several changes within one time step, a loop changing narrow, wide and strength-resolved
// signals hundreds of times a step (with a flush halfway through one such step), and changes in
// the very step that ends the run. ORACLE selects vvp's own $dumpvars; VCDFILE and
// SAIFFILE the engine's requests; REOPEN closes the SAIF file halfway and opens SAIFFILE2.
`timescale 1ns/1ps
module stage #(parameter W = 8) (input [W-1:0] in, input real gain, output [W-1:0] out);
  assign out = gain > 0.0 ? {in[6:0], in[7]} : ~in;
endmodule

module tb;
  parameter STEPS = 40;  // parameters are dumped once, with their values
  event tick;            // an event is 1 at each trigger
  reg clk = 0;
  reg [7:0] a = 8'h01;
  reg [99:0] big = 100'h0;
  reg [3:0] nib = 4'b0000;
  reg flip = 0;
  integer count = 0;
  real level = 0.5;
  wire [7:0] rotated;
  wire [7:0] sum = a + rotated;
  wire [99:0] inv = ~big;
  wire [3:0] maybe = flip ? 4'bz1x0 : nib;
  wire wired;
  wire [69:0] halves;  // two part drivers: the net's value arrives in parts
  assign halves[29:0] = big[29:0];
  assign halves[69:30] = {big[99:70], nib, 6'b0};
  tri1 pulled;
  reg [7:0] mem [0:3];
  assign wired = nib[0];
  assign wired = nib[1];  // two drivers: a strength-resolved net
  assign pulled = flip ? 1'bz : nib[2];
  stage u_stage (.in(a), .gain(level), .out(rotated));
  genvar g;
  generate
    for (g = 0; g < 2; g = g + 1) begin : lane
      wire [1:0] pair = big[2 * g + 1:2 * g] ^ {2{flip}};
      reg seen = 0;
      always @(posedge clk) seen <= pair[0];
    end
  endgenerate

  always #5 clk = ~clk;

  reg [31:0] acc = 0;
  reg [99:0] wide = 0;
  wire [7:0] both;  // two drivers: strength-resolved, so its values come as strengths
  assign both = acc[7:0];
  assign both = acc[7:0];
  integer k;
  always @(posedge clk) begin
    for (k = 0; k < 200; k = k + 1) begin
      acc = acc * 3 + k;
      wide = {wide[98:0], acc[0]};
`ifdef VCDFILE
      if (k == 100 && count == 7) $orvex_request("vcd-flush");
`endif
    end
  end

  always @(posedge clk) begin : counting
    reg [2:0] low_bits;  // a named block's own variable
    low_bits = a[2:0];
    -> tick;
    a <= a + 8'h13;
    big <= {big[98:0], ~(big[99] ^ big[60])};
    count <= count + 1;
    level <= level * -1.5;
    mem[count % 4] <= a;
    if (count % 5 == 2) nib <= 4'bx1z0;
    else nib <= count[3:0];
  end

  // Glitches: flip goes 1 and back to 0 within one step; nib changes twice in one step.
  always @(negedge clk) begin
    flip = 1;
    flip = 0;
    if (count % 3 == 0) begin
      nib = 4'b1111;
      nib = 4'b0101;
    end
  end

  initial begin
`ifdef ORACLE
    $dumpfile(`ORACLE);
    $dumpvars;
`endif
`ifdef VCDFILE
    $orvex_request("vcd-file", `VCDFILE);
    $orvex_request("vcd-vars", "/tb", "0");
`endif
`ifdef SAIFFILE
    $orvex_request("saif-open", "/tb", `SAIFFILE, "1", "0");
`endif
    #52 force sum = 8'hx5;
    #20 force big[70:10] = 61'h0;
    #13 force a = 8'h80;
    #20 release sum;
    force maybe = nib & {4{clk}};
    #30 release big[70:10];
    release a;
    #12 force level = 3.25;
    #21 release maybe;
    release level;
`ifdef REOPEN
    $orvex_request("saif-close");
    #40 $orvex_request("saif-open", "/tb", `SAIFFILE2, "1", "0");
`endif
    #77 force pulled = 1'b0;
    #15 release pulled;
    #40 a = 8'hff;
    big = ~big;
    level = 1.0;
    repeat (300) acc = acc + 1;
`ifdef SAIFFILE
    $orvex_request("saif-close");
`endif
    $finish;
  end
endmodule
