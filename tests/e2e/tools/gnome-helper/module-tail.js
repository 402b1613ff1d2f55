
export default TestHelper;
