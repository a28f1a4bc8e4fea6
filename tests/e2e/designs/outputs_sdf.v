// Cells with specify paths whose delays come from SDF files; the testbench prints how long each
// output takes to follow its input, before and after annotation.
`timescale 1ns/1ps
module buf_cell (input a, output y);
  buf (y, a);
  specify
    (a => y) = (1, 1);
  endspecify
endmodule

module and_cell (input a, input b, output y);
  and (y, a, b);
  specify
    (a => y) = (1, 2);
    (b => y) = (1, 2);
  endspecify
endmodule

module tb;
  reg a = 0, b = 1;
  wire y1, y2, y3;
  buf_cell u1(.a(a), .y(y1));
  and_cell u2(.a(a), .b(b), .y(y2));
  buf_cell u3(.a(a), .y(y3));
  realtime changed;
  always @(a) changed = $realtime;
  always @(y1) $display("y1 %0s after %0.3f", y1 ? "rise" : "fall", $realtime - changed);
  always @(y2) $display("y2 %0s after %0.3f", y2 ? "rise" : "fall", $realtime - changed);
  always @(y3) $display("y3 %0s after %0.3f", y3 ? "rise" : "fall", $realtime - changed);
  initial begin
    #10 a = 1;
    #10 a = 0;
    #10;
    $display("annotate");
    $orvex_request("sdf-annotate", "2", "missing.sdf", "", "0", "0");
    $orvex_request("sdf-annotate", "1", `BROKEN, "", "0", "0");
    $orvex_request("sdf-annotate", "1", `BROKEN, "", "1", "0");
    $orvex_request("sdf-annotate", "7", `SDF, "", "0", "0");
    $orvex_request("sdf-annotate", "2", `SDF, "/tb/none", "0", "0");
    $orvex_request("sdf-annotate", "2", `SDF, "/tb", "0", "0");
    $orvex_request("sdf-annotate", "0", `INCR, "", "0", "1");
    $orvex_request("path-pulse", "10", "20");
    $orvex_request("pulse-style", "1");
    $orvex_request("show-cancelled", "1");
    #10 a = 1;
    #10 a = 0;
    #10 $finish;
  end
endmodule
