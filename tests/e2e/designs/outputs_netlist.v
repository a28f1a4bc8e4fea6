// Nets with every kind of driver and load the design data file records: named gates, continuous
// assignments, constants, port connections both ways, processes and a task.
module leaf (input a, input b, output y, output [1:0] pair);
  nand g_nand(y, a, b);
  assign pair = {a, b};
endmodule

module tb;
  reg a, b;
  wire y, both, tied;
  wire [1:0] pair;
  reg [3:0] acc;
  and g_and (both, a, y);
  assign tied = 1'b1;
  leaf u_cell (.a(a), .b(b), .y(y), .pair(pair));

  task bump;
    acc = acc + 1;
  endtask

  always @(posedge both) bump;
  initial begin
    a = 0;
    b = 1;
    acc = 0;
    #1;
    $orvex_request("drivers", "/tb/y");
    $orvex_request("loads", "/tb/a");
    $orvex_request("drivers", "/tb/u_cell/y");
    $orvex_request("drivers", "/tb/both");
    $orvex_request("drivers", "/tb/tied");
    $orvex_request("drivers", "/tb/acc[2]");
    $orvex_request("loads", "/tb/both");
    $orvex_request("drivers", "/tb/u_cell/pair");
    $orvex_request("drivers", "/tb/nothing");
    $finish;
  end
endmodule
